// vornix-cli stream FILE: the exact bytes a download sends for FILE, on stdout.
#include <cstdio>
#include <cstring>

#include "cli_files.h"
#include "commands.h"
#include "download/stream/command_stream.h"
#include "image/decode_bmp.h"
#include "standard_streams.h"

namespace vornix::cli {

namespace {

// The PXL text a download of FILE would read: a PXL file as it is, a bitmap converted first.
// Empty with a message printed when there is none.
bool bitmapAsPxl(std::span<const std::uint8_t> bitmap, std::string& text);

bool pictureAsPxl(const std::string& path, std::string& text) {
    if (IsStandardStream(path)) {
        // Standard input: a bitmap when it starts with "BM", else PXL text.
        const StandardInput input = ReadStandardInput();
        if (!input.ok()) {
            PrintMessage("vornix-cli: -: " + std::string(std::strerror(input.error)));
            return false;
        }
        if (KindOfContent(input.bytes) == ContentKind::Bitmap) {
            return bitmapAsPxl(input.bytes, text);
        }
        text.assign(input.text());
        return true;
    }
    InputFile input = ReadInputFile(path);
    if (!input.ok()) {
        PrintMessage(BadFileMessage(input.code));
        return false;
    }
    if (KindOfName(path) != PictureKind::Bitmap) {
        text.assign(input.text());
        return true;
    }
    return bitmapAsPxl(input.bytes, text);
}

bool bitmapAsPxl(std::span<const std::uint8_t> bitmap, std::string& text) {
    image::DecodedPxl decoded = image::DecodeBMP(bitmap);
    if (decoded.result.refused()) {
        PrintMessage(image::DecodeRefusalMessage(decoded.result, "\n"));
        return false;
    }
    if (!decoded.result.converted()) {
        PrintMessage("The picture could not be converted to LCD format.\n" +
                     std::string(image::DescribeDecodeOutcome(decoded.result.outcome)));
        return false;
    }
    text = std::move(decoded.text);
    return true;
}

} // namespace

int RunStream(const std::vector<std::string>& args) {
    const auto names = NamesOnly(args);
    if (!names) {
        return UsageError("stream", "unknown option " + FirstOption(args));
    }
    if (names->size() != 1 || names->front().empty()) {
        return UsageError("stream", "needs one FILE");
    }
    const std::string& path = names->front();
    std::string pxl;
    if (!pictureAsPxl(path, pxl)) {
        return kExitFailure;
    }
    const download::StreamBytesResult stream = download::StreamBytes(pxl);
    if (stream.error == download::StreamError::NoHeader) {
        PrintMessage(kNoPxlHeader);
        return kExitFailure;
    }
    if (stream.error != download::StreamError::None) {
        std::fprintf(stderr, "vornix-cli: %s: %s\n", path.c_str(),
                     download::DescribeStreamError(stream.error));
        return kExitFailure;
    }
    if (!WriteToStdout(stream.bytes)) {
        std::fputs("vornix-cli: the stream could not be written to the output\n", stderr);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vornix::cli
