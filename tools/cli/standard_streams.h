#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/bounded_read.h"
#include "image/byte_sink.h"
#include "image/output_file.h"

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

// All of standard input, or the errno of the failure: EFBIG (the reading stops there) beyond
// `limit` bytes.
struct StandardInput {
    std::vector<std::uint8_t> bytes;
    int error = 0;

    bool ok() const { return error == 0; }
    std::string_view text() const {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
};
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
