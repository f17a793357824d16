// vornix-cli convert INPUT OUTPUT: a 1-bit bitmap into PXL text, or PXL text into a 1-bit
// bitmap, byte for byte what the desktop program writes to its working files.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "cli_files.h"
#include "cli_pxl_input.h"
#include "commands.h"
#include "convert_options.h"
#include "image/decode_bmp.h"
#include "image/encode_bmp.h"
#include "image/output_file.h"
#include "image/pxl_fields.h"
#include "standard_streams.h"

namespace vornix::cli {

namespace {

constexpr std::string_view kBitmapNotConverted =
    "The picture could not be converted to LCD format.";

struct ConvertArgs {
    std::string input;
    std::string output;
    PictureKind kind = PictureKind::Other;
};

// The options that choose the any-picture mode are taken before this; any other option is a
// usage error, and so is an INPUT whose name ends in neither ".bmp" nor ".pxl". Returns the
// reason of a usage error, or "" with `parsed` filled in.
std::string parseConvertArgs(const std::vector<std::string>& args, ConvertArgs& parsed) {
    const auto names = NamesOnly(args);
    if (!names) {
        return "unknown option " + FirstOption(args);
    }
    if (names->size() != 2 || (*names)[0].empty() || (*names)[1].empty()) {
        return "needs an INPUT and an OUTPUT";
    }
    parsed = ConvertArgs{(*names)[0], (*names)[1], KindOfName((*names)[0])};
    if (parsed.kind == PictureKind::Other && !IsStandardStream(parsed.input)) {
        return "INPUT must end in .bmp or .pxl; other pictures need a picture option such as "
               "--fit";
    }
    return "";
}

int fail(std::string_view headline, std::string_view cause) {
    PrintMessage(std::string(headline) + "\n" + std::string(cause));
    return kExitFailure;
}

// The output lands where OUTPUT leads (through links, into a device or a FIFO) and, for a file,
// only once complete, so a refusal or a failure leaves OUTPUT as it was (or absent).
int convertBitmap(std::span<const std::uint8_t> bitmap, const std::string& outputPath) {
    CommandOutput output(outputPath);
    const image::DecodeResult result = image::DecodeBMP(bitmap, output);
    if (result.refused()) {
        PrintMessage(image::DecodeRefusalMessage(result, "\n"));
        return kExitFailure;
    }
    const bool written = result.converted() && output.commit();
    if (result.outcome == image::DecodeOutcome::OutputFailed || (result.converted() && !written)) {
        const auto what = image::DescribeDecodeOutcome(image::DecodeOutcome::OutputFailed);
        return fail(kBitmapNotConverted, FileCause(what, outputPath, output.reason()));
    }
    if (!written) {
        return fail(kBitmapNotConverted, image::DescribeDecodeOutcome(result.outcome));
    }
    return kExitOk;
}

// The end of a conversion into a bitmap: OUTPUT delivered, or the failure reported.
int finishBitmap(const image::EncodeResult& result, CommandOutput& output,
                 const std::string& outputPath) {
    const bool written = result.converted() && output.commit();
    if (result.outcome == image::EncodeOutcome::OutputFailed || (result.converted() && !written)) {
        output.abandon();
        const auto what = image::DescribeEncodeOutcome(image::EncodeOutcome::OutputFailed);
        return fail(kPxlNotConverted, FileCause(what, outputPath, output.reason()));
    }
    if (!written) {
        output.abandon();
        return fail(kPxlNotConverted, image::DescribeEncodeOutcome(result.outcome));
    }
    return kExitOk;
}

// The PXL text is read block by block, so a large picture's text is never held whole.
int convertPxl(const std::string& inputPath, const std::string& outputPath) {
    PxlInput input(inputPath);
    if (input.code() != 0) {
        PrintMessage(BadFileMessage(input.code()));
        return kExitFailure;
    }
    if (!input.hasMarker()) {
        PrintMessage(kNoPxlHeader);
        return kExitFailure;
    }
    CommandOutput output(outputPath);
    const image::EncodeResult result = image::EncodeBMP(input, output);
    if (input.readError() != 0) {
        output.abandon();
        return fail(kPxlNotConverted,
                    FileCause("the PXL file could not be read", inputPath, input.readError()));
    }
    return finishBitmap(result, output, outputPath);
}

// PXL text read whole from standard input.
int convertPxlText(std::string_view text, const std::string& outputPath) {
    if (!image::HasPxlMarker(text)) {
        PrintMessage(kNoPxlHeader);
        return kExitFailure;
    }
    CommandOutput output(outputPath);
    return finishBitmap(image::EncodeBMP(text, output), output, outputPath);
}

// Standard input: a bitmap or PXL text as a named .bmp or .pxl file would be; any other
// picture is prepared for the panel with the default choices.
int convertStandardInput(const std::string& outputPath) {
    const StandardInput input = ReadStandardInput();
    if (!input.ok()) {
        PrintMessage("vornix-cli: -: " + std::string(std::strerror(input.error)));
        return kExitFailure;
    }
    switch (KindOfContent(input.bytes)) {
    case ContentKind::Bitmap:
        return convertBitmap(input.bytes, outputPath);
    case ContentKind::Pxl:
        return convertPxlText(input.text(), outputPath);
    case ContentKind::Other:
        break;
    }
    const auto failed =
        ConvertPictureBytes(PreparedArgs{}, "-", input.bytes, outputPath, PrintMessage);
    if (failed) {
        PrintMessage(failed->message);
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
    if (IsStandardStream(parsed->input)) {
        return convertStandardInput(parsed->output);
    }
    if (parsed->kind == PictureKind::Pxl) {
        return convertPxl(parsed->input, parsed->output);
    }
    const InputFile input = ReadInputFile(parsed->input);
    if (!input.ok()) {
        PrintMessage(BadFileMessage(input.code));
        return kExitFailure;
    }
    return convertBitmap(input.bytes, parsed->output);
}

} // namespace vornix::cli
