#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The operating system as the core and the command line see it: the few things a file, the
// standard streams, the program itself and Ctrl+C need, with one implementation for POSIX
// (platform/posix) and one for Windows (platform/win32), chosen by the build. Nothing outside
// the platform folders includes a system header. Paths are UTF-8 throughout; the Windows side
// converts them for the wide API at its edge. Failures are errno values (ENOENT, EACCES, ...),
// whichever system gave them.
namespace vornix::platform {

// --- Reading files

// An open file for reading; kNoFile when none.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Opens a regular file for reading, refusing anything else without waiting for it (a FIFO
// without a writer, a device): ENODEV for a FIFO, a device or a socket, EISDIR for a folder.
// 0 with `handle` and the file's length in `size`, or the errno of the refusal.
int OpenForReading(const std::string& path, FileHandle& handle, std::uint64_t& size);
// Reads up to `room` bytes: the count, 0 at the end, -1 with `error` set.
std::int64_t ReadFrom(FileHandle handle, void* into, std::size_t room, int& error);
// Starts the file again from its beginning; 0 or an errno.
int RewindFile(FileHandle handle);
void CloseFile(FileHandle handle);

// What a path leads to, through links.
enum class PathKind { Regular, Folder, Other };
struct PathInfo {
    int error = 0; // ENOENT when nothing is there
    PathKind kind = PathKind::Other;
    std::uint64_t size = 0;
};
PathInfo InfoOf(const std::string& path);

// Makes one folder; 0 or an errno (EEXIST when something is there).
int MakeFolder(const std::string& path);

// True for a character that ends a folder in a path: '/' everywhere, '\\' on Windows too.
bool IsFolderSeparator(char c);
// Where the last folder of `path` ends (just after its separator, or after a Windows drive
// such as "C:"); 0 for a bare name.
std::size_t FolderLength(std::string_view path);

// A regular file as the system knows it, whatever name leads to it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
    bool operator<(const FileIdentity& other) const {
        return device != other.device ? device < other.device : index < other.index;
    }
};
// The regular file `path` leads to; nullopt for nothing, a folder, a device or a FIFO.
std::optional<FileIdentity> RegularFileOf(const std::string& path);
// The regular file standard output (or standard input) is, if it is one.
std::optional<FileIdentity> StandardStreamFile(bool output);

// --- Memory

// Asks for huge pages behind a large buffer; advice only, ignored where there are none.
void AdviseHugePages(void* data, std::size_t size);

// --- Standard streams

// Makes standard input and output carry bytes unchanged (no line-end translation) and lets
// the console show UTF-8. Called once, first thing in main.
void PrepareStandardStreams();
// Reads from standard input: the count, 0 at the end, -1 with `error` set.
std::int64_t ReadStandardInput(void* into, std::size_t room, int& error);
// Writes to standard output: the count written, -1 with `error` set.
std::int64_t WriteStandardOutput(const void* bytes, std::size_t size, int& error);
// The bytes standard input still holds when it is a regular file; nullopt otherwise.
std::optional<std::uint64_t> StandardInputBytesLeft();
// Closes standard output, so that a late write error shows; 0 or an errno.
int CloseStandardOutput();
// True when standard error is a terminal; `columns` its width (0 when unknown).
bool StandardErrorIsTerminal(int& columns);

// --- The program

// The command's arguments as UTF-8, the program's own name first.
std::vector<std::string> Arguments(int argc, char** argv);
// The full path of the running program; "" when it cannot be told.
std::string OwnProgramPath();
// True when `path` is a program that can be started.
bool IsRunnable(const std::string& path);
// Runs `program` with `args` (its own name first) in place of this one. On POSIX it does not
// return unless it fails; on Windows it waits and gives the program's exit status in `status`.
// 0 when the program ran, else the errno of the failure to start it.
int RunInstead(const std::string& program, const std::vector<std::string>& args, int& status);

// --- Temporary files and Ctrl+C

// Keeps `path` where the interrupt handling can read it: Ctrl+C (and on POSIX SIGTERM and
// SIGHUP) removes every remembered file before the process ends as the interruption says.
// The handling is installed with the first name, and on POSIX only for signals whose action
// is still the default (an ignored SIGHUP under nohup stays ignored). At most eight names are
// kept at once. Returns the record's number for ForgetTemporaryName, or -1 when the path is
// too long or every record is taken (the file is then still removed on every path but an
// interruption).
int RememberTemporaryName(const std::string& path);
// Drops the record (-1 is ignored). Call it once the file is gone or renamed.
void ForgetTemporaryName(int slot);

// Holds interruptions back while a temporary file and its record change together, and while a
// file is overwritten in place: an interruption then arrives just after, never half-way.
class InterruptionsHeld {
public:
    InterruptionsHeld();
    ~InterruptionsHeld();
    InterruptionsHeld(const InterruptionsHeld&) = delete;
    InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

private:
    alignas(16) unsigned char m_previous[128]; // the system's record of what was held before
};

} // namespace vornix::platform
