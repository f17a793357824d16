// vornix-cli convert INPUT OUTPUT: a 1-bit bitmap into PXL text, or PXL text into a 1-bit
// bitmap, byte for byte what the desktop program writes to its working files.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "cli_files.h"
#include "cli_pxl_input.h"
#include "commands.h"
#include "convert_options.h"
#include "file_errors.h"
#include "image/files/atomic_file.h"
#include "image/picture/decode_bmp.h"
#include "image/picture/encode_bmp.h"
#include "image/text/messages.h"
#include "image/files/output_file.h"
#include "image/picture/pxl_fields.h"
#include "same_file.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

struct ConvertArgs {
    std::string input;
    std::string output;
    std::optional<image::PictureFormat> format; // of INPUT, by its name
};

// The options that choose the any-picture mode are taken before this; any other option is a
// usage error, and so is an INPUT whose name ends in neither ".bmp" nor ".pxl". Returns the
// reason of a usage error, or "" with `parsed` filled in.
std::string parseConvertArgs(std::vector<std::string> args, ConvertArgs& parsed) {
    // --quiet is taken here too; this conversion has no warnings to leave out.
    const auto optionsEnd = std::find(args.begin(), args.end(), "--");
    args.erase(
        std::remove_if(args.begin(), optionsEnd,
                       [](const std::string& arg) { return arg == "-q" || arg == "--quiet"; }),
        optionsEnd);
    const auto names = NamesOnly(args);
    if (!names) {
        return std::string(image::messages::kUnknownOption) + TerminalName(FirstOption(args));
    }
    if (names->size() != 2 || (*names)[0].empty() || (*names)[1].empty()) {
        return std::string(image::messages::kNeedsInputAndOutput);
    }
    parsed = ConvertArgs{(*names)[0], (*names)[1], FormatOfName((*names)[0])};
    if (!parsed.format && !IsStandardStream(parsed.input)) {
        return "INPUT must end in .bmp or .pxl; other pictures need a picture option such as "
               "--fit";
    }
    return "";
}

int fail(std::string_view file, std::string_view reason) {
    PrintFileError(file, reason);
    return kExitFailure;
}

// The output lands where OUTPUT leads (through links, into a device or a FIFO) and, for a file,
// only once complete, so a refusal or a failure leaves OUTPUT as it was (or absent).
int convertBitmap(std::span<const std::uint8_t> bitmap, const std::string& inputName,
                  const std::string& outputPath) {
    CommandOutput output(outputPath);
    const image::DecodeResult result = image::ConvertBitmapToPxl(bitmap, output);
    if (result.refused()) {
        output.abandon();
        return fail(inputName, image::DecodeRefusalMessage(result, "\n"));
    }
    const bool written = result.converted() && output.commit();
    if (result.outcome == image::DecodeOutcome::OutputFailed || (result.converted() && !written)) {
        output.abandon();
        return fail(outputPath, output.reason());
    }
    if (!written) {
        output.abandon();
        return fail(inputName, image::describe(result.outcome));
    }
    return kExitOk;
}

// The end of a conversion into a bitmap: OUTPUT delivered, or the failure reported.
int finishBitmap(const image::EncodeResult& result, CommandOutput& output,
                 const std::string& inputName, const std::string& outputPath) {
    const bool written = result.converted() && output.commit();
    if (result.outcome == image::EncodeOutcome::OutputFailed || (result.converted() && !written)) {
        output.abandon();
        return fail(outputPath, output.reason());
    }
    if (!written) {
        output.abandon();
        return fail(inputName, image::describe(result.outcome));
    }
    return kExitOk;
}

// The PXL text is read block by block, so a large picture's text is never held whole.
int convertPxl(const std::string& inputPath, const std::string& outputPath) {
    PxlInput input(inputPath);
    if (input.code() != image::ErrorCode::None) {
        return fail(inputPath, ReadFailureReason(inputPath, input.openError(), 0));
    }
    if (!input.hasMarker()) {
        return fail(inputPath, image::messages::kNoLcdHeader);
    }
    CommandOutput output(outputPath);
    const image::EncodeResult result = image::ConvertPxlToBitmap(input, output);
    if (input.readError() != 0) {
        output.abandon();
        return fail(inputPath, std::strerror(input.readError()));
    }
    return finishBitmap(result, output, inputPath, outputPath);
}

// PXL text from standard input, block by block as from a named file.
int convertPxlStream(StandardInputReader& input, const std::string& outputPath) {
    CommandOutput output(outputPath);
    const image::EncodeResult result = image::ConvertPxlToBitmap(input, output);
    if (input.readError() != 0) {
        output.abandon();
        return fail(kStandardStream, std::strerror(input.readError()));
    }
    return finishBitmap(result, output, std::string(kStandardStream), outputPath);
}

// Standard input: a bitmap or PXL text as a named .bmp or .pxl file would be; any other
// picture is prepared for the panel with the default choices. Each is read no further than
// its kind needs: a bitmap as far as its headers promise, PXL text block by block.
int convertStandardInput(const std::string& outputPath) {
    StandardInputReader reader;
    if (reader.kind() == ContentKind::Pxl) {
        return convertPxlStream(reader, outputPath);
    }
    const bool bitmap = reader.kind() == ContentKind::Bitmap;
    const StandardInput input = bitmap ? reader.readWhole(image::kMaxBitmapFileBytes)
                                       : reader.readPicture(kMaxStandardInputBytes);
    if (!input.ok()) {
        return fail(kStandardStream, input.reason());
    }
    if (bitmap) {
        return convertBitmap(input.bytes, std::string(kStandardStream), outputPath);
    }
    const auto failed = ConvertPictureBytes(PreparedArgs{}, std::string(kStandardStream),
                                            input.bytes, {outputPath}, PrintMessage);
    if (failed) {
        PrintMessage(failed->line);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace

int RunConvert(const std::vector<std::string>& args) {
    if (HasPrepareOptions(args)) {
        return RunPreparedConvert(args);
    }
    ConvertArgs request;
    if (const std::string reason = parseConvertArgs(args, request); !reason.empty()) {
        return UsageError("convert", reason);
    }
    const ConvertArgs* parsed = &request;
    // A firmware format on either side: the picture is copied pixel for pixel.
    const std::optional<image::PictureFormat> to = FormatOfName(parsed->output);
    if ((parsed->format && !IsBitmapOrPxl(parsed->format)) ||
        (to && !IsBitmapOrPxl(to) && !IsStandardStream(parsed->output))) {
        return RunPreparedConvert(args);
    }
    if (const auto clashes = SameFileLines({parsed->input}, {parsed->output}); !clashes.empty()) {
        PrintMessage(clashes.front());
        return kExitFailure;
    }
    if (IsStandardStream(parsed->input)) {
        return convertStandardInput(parsed->output);
    }
    if (parsed->format == image::PictureFormat::Pxl) {
        return convertPxl(parsed->input, parsed->output);
    }
    const InputFile input = ReadInputFile(parsed->input);
    if (!input.ok()) {
        return fail(parsed->input,
                    ReadFailureReason(parsed->input, input.error, image::kMaxBitmapFileBytes));
    }
    return convertBitmap(input.bytes, parsed->input, parsed->output);
}

} // namespace vornix::cli
