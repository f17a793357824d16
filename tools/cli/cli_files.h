#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/files/bounded_read.h"
#include "image/text/error_codes.h"
#include "image/picture/picture_formats.h"

namespace vornix::cli {

// The file names given to a command that takes no options. "--" ends the options, so that a
// name starting with "-" can follow it; any other argument starting with "-" is an option this
// command does not know, and nullopt is returned (a usage error).
std::optional<std::vector<std::string>> NamesOnly(const std::vector<std::string>& args);

// The format a file's name says it holds, from the table of formats; the ending decides, in
// any case (".bmp", ".BMP", ".Pxl", ".h"). Nullopt for an ending of no format.
std::optional<image::PictureFormat> FormatOfName(std::string_view path);
// True when the name says a one-bit BMP or PXL text: the two forms every command reads.
bool IsBitmapOrPxl(std::optional<image::PictureFormat> format);

// The bytes of an input file, or the failure code shown after image::messages::kBadFileName:
// 53 for a missing file, 70 when access is denied, 76 for a path through something that is not
// a folder, 75 for every other failure (a folder, a FIFO, a device, a read error, a file larger
// than its kind of picture can be). These are the codes the desktop program shows for a
// picture named on its command line.
struct InputFile {
    std::span<const std::uint8_t> bytes; // points into `storage`
    image::ErrorCode code = image::ErrorCode::None;
    int error = 0; // the errno behind `code`
    image::ByteBuffer storage;

    InputFile() = default;
    InputFile(InputFile&&) = default; // the bytes move with their storage
    InputFile& operator=(InputFile&&) = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool ok() const { return code == image::ErrorCode::None; }
    std::string_view text() const {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
};

// The whole file, refused above `maxSize` bytes (a bitmap's largest size by default) and when
// it is not a regular file, without waiting for a FIFO or a device.
InputFile ReadInputFile(const std::string& path, std::size_t maxSize = image::kMaxBitmapFileBytes);

// The InputFile of a failure with the errno value `error`.
InputFile FailedInput(int error);

// At most the first `count` bytes: enough for the bitmap headers without reading the pixels.
InputFile ReadInputPrefix(const std::string& path, std::size_t count);

// A message as the desktop program would show it in a box, on stderr, with "\n" at its end.
void PrintMessage(std::string_view text);

// Raw bytes on stdout, flushed. 0 when they were all written, else the errno of the failure.
int WriteToStdout(std::string_view bytes);

} // namespace vornix::cli
