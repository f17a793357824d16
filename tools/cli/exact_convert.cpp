// Pictures copied pixel for pixel between the panel's forms and the firmware formats.
#include "exact_convert.h"

#include "cli_files.h"
#include "commands.h"
#include "file_errors.h"
#include "image/picture/export_output.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

image::PanelPictureRead ReadPanelPicture(const std::string& path, image::PictureFormat format,
                                         const FirmwareArgs& firmware) {
    const image::FormatEntry& entry = image::FormatEntryOf(format);
    const InputFile input = ReadInputFile(path, entry.maxBytes);
    if (!input.ok()) {
        return {std::nullopt, ReadFailureReason(path, input.error, entry.maxBytes)};
    }
    image::ReadOptions options;
    options.layout = InputLayout(firmware);
    if (firmware.inSize) {
        options.width = firmware.inSize->width;
        options.height = firmware.inSize->height;
    }
    return entry.read(input.bytes, options);
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
