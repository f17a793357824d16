// Pictures copied pixel for pixel between the panel's forms and the firmware formats.
#include "exact_convert.h"

#include "cli_files.h"
#include "commands.h"
#include "file_errors.h"
#include "image/byte_layout.h"
#include "image/export_output.h"
#include "image/messages.h"
#include "image/pbm_format.h"
#include "image/pxl_fields.h"
#include "image/source_reader.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {
namespace {

std::size_t LimitOf(image::PictureFormat format) {
    switch (format) {
    case image::PictureFormat::Bitmap:
        return image::kMaxBitmapFileBytes;
    case image::PictureFormat::Pxl:
        return image::kMaxDownloadTextBytes;
    default:
        return kMaxFirmwareFileBytes;
    }
}

image::PanelPictureRead FromSource(const image::SourcePicture& read) {
    if (!read.picture) {
        std::string reason(image::describe(read.error));
        if (read.line > 0) {
            reason += " (line " + std::to_string(read.line) + ")";
        }
        return {std::nullopt, reason};
    }
    return {read.picture, ""};
}

image::PanelPictureRead FromRaw(std::span<const std::uint8_t> bytes,
                                const FirmwareArgs& firmware) {
    if (!firmware.inSize) {
        return {std::nullopt, "raw bytes need their size: give --in-size WxH"};
    }
    const image::LayoutChoice layout = InputLayout(firmware);
    auto picture = image::UnpackLayout(bytes, firmware.inSize->width, firmware.inSize->height,
                                       layout);
    if (!picture) {
        return {std::nullopt,
                std::to_string(bytes.size()) + " bytes, but " +
                    std::to_string(firmware.inSize->width) + " x " +
                    std::to_string(firmware.inSize->height) + " pixels in " +
                    std::string(image::ByteLayoutName(layout.layout)) + " take " +
                    std::to_string(image::LayoutSize(layout.layout, firmware.inSize->width,
                                                     firmware.inSize->height))};
    }
    return {std::move(picture), ""};
}

} // namespace

image::PanelPictureRead ReadPanelPicture(const std::string& path, image::PictureFormat format,
                                         const FirmwareArgs& firmware) {
    const std::size_t limit = LimitOf(format);
    const InputFile input = ReadInputFile(path, limit);
    if (!input.ok()) {
        return {std::nullopt, ReadFailureReason(path, input.error, limit)};
    }
    const std::string_view text(reinterpret_cast<const char*>(input.bytes.data()),
                                input.bytes.size());
    switch (format) {
    case image::PictureFormat::Bitmap:
        return image::PictureFromBitmap(input.bytes);
    case image::PictureFormat::Pxl:
        if (!image::HasPxlMarker(text)) {
            return {std::nullopt, std::string(image::messages::kNoLcdHeader)};
        }
        return image::PictureFromPxl(text);
    case image::PictureFormat::CSource: {
        const int width = firmware.inSize ? firmware.inSize->width : 0;
        const int height = firmware.inSize ? firmware.inSize->height : 0;
        return FromSource(image::ReadSourcePicture(text, width, height, InputLayout(firmware)));
    }
    case image::PictureFormat::Xbm:
        return FromSource(image::ReadXbm(text));
    case image::PictureFormat::Pbm: {
        image::PbmRead read = image::ReadPbm(input.bytes);
        if (!read.picture) {
            return {std::nullopt, std::string(image::describe(read.error))};
        }
        return {std::move(read.picture), ""};
    }
    case image::PictureFormat::Raw:
        return FromRaw(input.bytes, firmware);
    }
    return {std::nullopt, "unknown format"};
}

std::string WritePackedFile(const image::PackedPicture& picture, const std::string& path,
                            image::PictureFormat format, const FirmwareArgs& firmware) {
    image::ExportChoice choice;
    choice.format = format;
    choice.source = SourceOptionsFor(firmware, path);
    CommandOutput output(path);
    if (!image::WritePicture(picture, choice, output) || !output.commit()) {
        output.abandon();
        return TerminalName(path) + ": " +
               (output.error() != 0 ? output.reason() : "conversion failed");
    }
    return "";
}

std::optional<image::PictureFormat> InputFormat(const PreparedArgs& request,
                                                const std::string& input) {
    const std::optional<image::PictureFormat> named = FormatOfName(input);
    if (!named && request.firmware.inSize) {
        return image::PictureFormat::Raw; // --in-size: raw bytes whatever their name
    }
    return named;
}

bool ReadsExactly(const PreparedArgs& request, const std::string& input,
                  const std::string& output) {
    if (request.pixelsShaped || IsStandardStream(input)) {
        return false;
    }
    const std::optional<image::PictureFormat> from = InputFormat(request, input);
    return from && (IsFirmwareFormat(*from) || IsFirmwareFormat(FormOf(request, output)));
}

int RunExactConvert(const PreparedArgs& request, const std::string& input,
                    const std::string& output) {
    const image::PanelPictureRead read =
        ReadPanelPicture(input, *InputFormat(request, input), request.firmware);
    if (!read.picture) {
        PrintFileError(input, read.failure);
        return kExitFailure;
    }
    const std::string failure =
        WritePackedFile(*read.picture, output, FormOf(request, output), request.firmware);
    if (!failure.empty()) {
        PrintMessage("vornix-cli: " + failure);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vornix::cli
