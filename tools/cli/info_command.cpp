// vornix-cli info FILE: the bitmap header of FILE as the "Image Info" box shows it.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "cli_files.h"
#include "cli_pxl_input.h"
#include "commands.h"
#include "file_errors.h"
#include "image/files/atomic_file.h"
#include "image/picture/bitmap_header_io.h"
#include "image/picture/encode_bmp.h"
#include "image/picture/image_info.h"
#include "image/text/messages.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

// Takes the bitmap a PXL file becomes and keeps none of it: only its header is wanted.
class DiscardSink : public image::ByteSink {
public:
    bool write(std::string_view /*bytes*/) override { return true; }
};

int printInfo(const image::BitmapHeader& header) {
    // Line 1 holds the two bfType bytes as they are, whatever they are.
    if (const int error = WriteToStdout(image::ImageInfoText(header, "\n")); error != 0) {
        PrintFileError(kStandardOutputName, std::strerror(error));
        return kExitFailure;
    }
    return kExitOk;
}

// Only the headers are read: a file shorter than them reads as if padded with zeros, and the
// header is described whatever it holds, as the desktop program does for a refused bitmap.
int bitmapInfo(const std::string& path) {
    const InputFile input = ReadInputPrefix(path, image::kHeadersSize);
    if (!input.ok()) {
        PrintFileError(path, ReadFailureReason(path, input.error, image::kHeadersSize));
        return kExitFailure;
    }
    return printInfo(image::ReadBitmapHeaders(input.bytes).header);
}

// The header of the bitmap a PXL text converts into; a text that does not convert has none.
int pxlResultInfo(const image::EncodeResult& result, std::string_view name) {
    if (!result.converted()) {
        PrintFileError(name, image::describe(result.outcome));
        return kExitFailure;
    }
    return printInfo(result.header);
}

// The header of the bitmap that converting the PXL file produces; a file that does not convert
// has none.
int pxlInfo(const std::string& path) {
    PxlInput input(path);
    if (input.code() != image::ErrorCode::None) {
        PrintFileError(path, ReadFailureReason(path, input.openError(), 0));
        return kExitFailure;
    }
    if (!input.hasMarker()) {
        PrintFileError(path, image::messages::kNoLcdHeader);
        return kExitFailure;
    }
    DiscardSink discard;
    const image::EncodeResult result = image::ConvertPxlToBitmap(input, discard);
    if (input.readError() != 0) {
        PrintFileError(path, std::strerror(input.readError()));
        return kExitFailure;
    }
    return pxlResultInfo(result, path);
}

// Standard input: PXL text when its first field is "@", read block by block; else the headers
// of a bitmap, read without the rest.
int standardInputInfo() {
    StandardInputReader reader;
    if (reader.kind() != ContentKind::Pxl) {
        const StandardInput input = reader.readPrefix(image::kHeadersSize);
        if (!input.ok()) {
            PrintFileError(kStandardStream, input.reason());
            return kExitFailure;
        }
        return printInfo(image::ReadBitmapHeaders(input.bytes).header);
    }
    DiscardSink discard;
    const image::EncodeResult result = image::ConvertPxlToBitmap(reader, discard);
    if (reader.readError() != 0) {
        PrintFileError(kStandardStream, std::strerror(reader.readError()));
        return kExitFailure;
    }
    return pxlResultInfo(result, kStandardStream);
}

int infoOf(const std::string& name, std::optional<image::PictureFormat> format) {
    if (IsStandardStream(name)) {
        return standardInputInfo();
    }
    return format == image::PictureFormat::Bitmap ? bitmapInfo(name) : pxlInfo(name);
}

} // namespace

int RunInfo(const std::vector<std::string>& args) {
    const auto names = NamesOnly(args);
    if (!names) {
        return UsageError("info", std::string(image::messages::kUnknownOption) +
                                      TerminalName(FirstOption(args)));
    }
    if (names->size() != 1) {
        return UsageError("info", image::messages::kNeedsOneFile);
    }
    const std::optional<image::PictureFormat> format = FormatOfName(names->front());
    if (!IsBitmapOrPxl(format) && !IsStandardStream(names->front())) {
        return UsageError("info", "FILE must end in .bmp or .pxl");
    }
    return infoOf(names->front(), format);
}

} // namespace vornix::cli
