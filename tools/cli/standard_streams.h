#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/files/bounded_read.h"
#include "image/picture/byte_sink.h"
#include "image/files/output_file.h"

namespace vornix::cli {

// The file name that stands for standard input (as INPUT or FILE) or standard output (as
// OUTPUT).
inline constexpr std::string_view kStandardStream = "-";

inline bool IsStandardStream(std::string_view name) {
    return name == kStandardStream;
}

// The most standard input is read into memory: the largest picture file the preparation takes;
// more is refused as too large.
inline constexpr std::size_t kMaxStandardInputBytes = image::kMaxPreparedFileBytes;

// What the bytes of standard input hold, from their start.
enum class ContentKind {
    Bitmap, // "BM"
    Pxl,    // PXL text: the first field is "@"
    Other,  // any other picture (PBM, PGM, PPM, PNG, JPEG, GIF, WebP) or none
};
ContentKind KindOfContent(std::span<const std::uint8_t> bytes);

// The bytes a bitmap's headers promise: its pixel rows where they start, and at least the room
// of the largest headers and colour table, so that no reader of bitmaps looks beyond them.
// `start` is the start of the file (4 KiB hold every header); bytes it lacks read as 0.
std::uint64_t BitmapBytesPromised(std::span<const std::uint8_t> start);

// Standard input, or the errno of the failure: EFBIG (the reading stops there) beyond `limit`
// bytes, with `size` the bytes the input holds as far as they are known (a bitmap's promise,
// or the bytes read before the reading stopped).
struct StandardInput {
    std::vector<std::uint8_t> bytes;
    int error = 0;
    std::uint64_t size = 0;  // of a refused input
    std::uint64_t limit = 0; // the limit of the read

    bool ok() const { return error == 0; }
    std::string_view text() const {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
    // The failure in words: "too large: N bytes, at most M", or the system's words.
    std::string reason() const;
};

// Standard input, read no further than the kind its first bytes announce needs. The first bytes
// are read when it is made, enough to tell the kind; they are handed out again from the start.
class StandardInputReader : public image::PxlTextSource {
public:
    StandardInputReader();
    StandardInputReader(const StandardInputReader&) = delete;
    StandardInputReader& operator=(const StandardInputReader&) = delete;

    ContentKind kind() const { return m_kind; }

    // The whole input up to `limit` bytes; a bitmap only as far as its headers promise, and
    // refused at once when it promises more than `limit` and holds more.
    StandardInput readWhole(std::size_t limit);
    // At most the first `count` bytes: a header without the rest.
    StandardInput readPrefix(std::size_t count);
    // A picture of any kind but PXL text, as readWhole reads it; content that starts like no
    // picture is read no further than its first bytes, which tell the picture readers as much.
    StandardInput readPicture(std::size_t limit);

    // PXL text block by block, from its start: the text is never held whole.
    std::size_t read(char* into, std::size_t room) override;
    // The errno of a failure to read (the text then ended early), else 0.
    int readError() const { return m_error; }

private:
    std::size_t readMore(char* into, std::size_t room);
    void classify();
    // Reads on until the first bytes kept are `count`, or the input ends; only before any of
    // them have been handed out.
    void fillStart(std::size_t count);
    std::span<const std::uint8_t> startBytes() const;

    std::string m_start;          // the first bytes, handed out first
    std::size_t m_replayed = 0;   // of m_start
    std::uint64_t m_consumed = 0; // bytes taken from standard input in all
    bool m_ended = false;         // its end was met
    int m_error = 0;
    ContentKind m_kind = ContentKind::Other;
};

// All of standard input as StandardInputReader::readWhole reads it.
StandardInput ReadStandardInput(std::size_t limit = kMaxStandardInputBytes);

// Writes to standard output as the bytes come, whatever it is (a pipe, a terminal, a file or a
// socket). A failed write (the reader went away) makes every later one fail as well.
class StandardOutputSink : public image::ByteSink {
public:
    bool write(std::string_view bytes) override;
    int error() const { return m_error; }

private:
    int m_error = 0;
};

// Where a command's OUTPUT goes: standard output for "-", else the named file through
// image::OutputFile (complete or not at all).
class CommandOutput : public image::ByteSink {
public:
    explicit CommandOutput(const std::string& path);

    bool write(std::string_view bytes) override;
    // Delivers the bytes to a named file; standard output has them already.
    bool commit();
    void abandon();
    // errno of the first failure, 0 when none; and the failure in words.
    int error() const;
    std::string reason() const;

private:
    std::unique_ptr<image::OutputFile> m_file; // null for standard output
    StandardOutputSink m_stdout;
};

} // namespace vornix::cli
