// vornix-cli convert INPUT OUTPUT: a 1-bit bitmap into PXL text, or PXL text into a 1-bit
// bitmap, byte for byte what the desktop program writes to its working files.
#include <cstdio>
#include <optional>
#include <string>

#include "cli_files.h"
#include "cli_pxl_input.h"
#include "commands.h"
#include "convert_options.h"
#include "image/decode_bmp.h"
#include "image/encode_bmp.h"
#include "image/output_file.h"

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
    if (parsed.kind == PictureKind::Other) {
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
int convertBitmap(const InputFile& input, const std::string& outputPath) {
    image::OutputFile output(outputPath);
    const image::DecodeResult result = image::DecodeBMP(input.bytes, output);
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
    image::OutputFile output(outputPath);
    const image::EncodeResult result = image::EncodeBMP(input, output);
    if (input.readError() != 0) {
        return fail(kPxlNotConverted,
                    FileCause("the PXL file could not be read", inputPath, input.readError()));
    }
    const bool written = result.converted() && output.commit();
    if (result.outcome == image::EncodeOutcome::OutputFailed || (result.converted() && !written)) {
        const auto what = image::DescribeEncodeOutcome(image::EncodeOutcome::OutputFailed);
        return fail(kPxlNotConverted, FileCause(what, outputPath, output.reason()));
    }
    if (!written) {
        return fail(kPxlNotConverted, image::DescribeEncodeOutcome(result.outcome));
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
    if (parsed->kind == PictureKind::Pxl) {
        return convertPxl(parsed->input, parsed->output);
    }
    const InputFile input = ReadInputFile(parsed->input);
    if (!input.ok()) {
        PrintMessage(BadFileMessage(input.code));
        return kExitFailure;
    }
    return convertBitmap(input, parsed->output);
}

} // namespace vornix::cli
