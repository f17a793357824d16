#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vornix::cli {

// Standard output as messages name it where the user gave it no name: the text of help, the
// version, info and stream.
inline constexpr std::string_view kStandardOutputName = "standard output";

// A failure about one file as the command line reports it: "vornix-cli: FILE: REASON", FILE
// quoted for the terminal when it holds control characters (TerminalName). REASON is the
// system's or the program's words, or the desktop program's own message for a picture it
// refuses, its lines joined by "\n".
std::string FileError(std::string_view file, std::string_view reason);

// FileError on stderr, with "\n" at its end.
void PrintFileError(std::string_view file, std::string_view reason);

// Flushes and closes standard output at the end of a run. A failure to deliver what was
// written to it is reported ("vornix-cli: standard output: No space left on device") and turns
// the exit status `status` of a run that succeeded into 1; a closed standard output that
// nothing was written to is no failure.
int FinishStandardOutput(int status);

// Writes text to standard output; a failure is remembered with its errno, which
// FinishStandardOutput then reports (a text longer than the output buffer fails half-way,
// and the buffer's error flag alone no longer tells why).
void PutStandardOutput(std::string_view text);

// Why the input `path` could not be read, for errno `error`: the system's words ("No such file
// or directory", "Permission denied"), "not a regular file" for a FIFO, a device or a socket,
// and for a file above `limit` bytes "too large: N bytes, at most M".
std::string ReadFailureReason(const std::string& path, int error, std::uint64_t limit);

// "too large: N bytes, at most M", for a file of `size` bytes that a command reads only up to
// `limit`.
std::string TooLargeReason(std::uint64_t size, std::uint64_t limit);

} // namespace vornix::cli
