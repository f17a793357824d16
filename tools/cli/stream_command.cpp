// vornix-cli stream FILE: the exact bytes a download sends for FILE, on stdout.
#include <cstdio>
#include <cstring>

#include "cli_files.h"
#include "commands.h"
#include "download/stream/command_stream.h"
#include "file_errors.h"
#include "image/files/atomic_file.h"
#include "image/picture/decode_bmp.h"
#include "image/text/messages.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

// Which words a bitmap that the conversion fails on gets: the stream's (the cause alone) or
// the load's (the window's words for a failed conversion, then the cause).
enum class Wording { Stream, Load };

// The PXL text a download of FILE would read: a PXL file as it is, a bitmap converted first.
// Empty with a message printed when there is none.
bool bitmapAsPxl(std::span<const std::uint8_t> bitmap, const std::string& path, std::string& text,
                 Wording wording);

bool pictureAsPxl(const std::string& path, std::string& text, Wording wording) {
    if (IsStandardStream(path)) {
        // Standard input: a bitmap when it starts with "BM", else PXL text.
        const StandardInput input = ReadStandardInput(image::kMaxDownloadTextBytes);
        if (!input.ok()) {
            PrintFileError(path, input.reason());
            return false;
        }
        if (KindOfContent(input.bytes) == ContentKind::Bitmap) {
            return bitmapAsPxl(input.bytes, path, text, wording);
        }
        text.assign(input.text());
        return true;
    }
    // The download holds the text it sends, within its own bound; a bitmap is read whole.
    const bool bitmap = FormatOfName(path) == image::PictureFormat::Bitmap;
    const std::size_t limit = bitmap ? image::kMaxBitmapFileBytes : image::kMaxDownloadTextBytes;
    InputFile input = ReadInputFile(path, limit);
    if (!input.ok()) {
        PrintFileError(path, ReadFailureReason(path, input.error, limit));
        return false;
    }
    if (!bitmap) {
        text.assign(input.text());
        return true;
    }
    return bitmapAsPxl(input.bytes, path, text, wording);
}

bool bitmapAsPxl(std::span<const std::uint8_t> bitmap, const std::string& path, std::string& text,
                 Wording wording) {
    image::DecodedPxl decoded = image::ConvertBitmapToPxl(bitmap);
    if (decoded.result.refused()) {
        PrintFileError(path, image::DecodeRefusalMessage(decoded.result, "\n"));
        return false;
    }
    if (!decoded.result.converted()) {
        const std::string_view why = image::describe(decoded.result.outcome);
        PrintFileError(path,
                       wording == Wording::Stream
                           ? std::string(why)
                           : std::string(image::messages::kNotConverted) + "\n" + std::string(why));
        return false;
    }
    text = std::move(decoded.text);
    return true;
}

// The bytes a download of `path` sends; false with the reason printed when it has none.
bool streamOf(const std::string& path, download::StreamBytesResult& stream) {
    std::string pxl;
    if (!pictureAsPxl(path, pxl, Wording::Stream)) {
        return false;
    }
    stream = download::StreamBytes(pxl);
    if (stream.error == download::StreamError::NoHeader) {
        PrintFileError(path, image::messages::kNoLcdHeader);
        return false;
    }
    if (stream.error != download::StreamError::None) {
        PrintFileError(path, download::describe(stream.error));
        return false;
    }
    return true;
}

} // namespace

bool PictureCanBeLoaded(const std::string& path) {
    download::StreamBytesResult stream;
    return streamOf(path, stream);
}

bool PictureForLoad(const std::string& path, std::string& pxlText, int& rows) {
    if (!pictureAsPxl(path, pxlText, Wording::Load)) {
        return false;
    }
    const download::CommandStream probe(pxlText);
    if (probe.error() == download::StreamError::NoHeader) {
        PrintFileError(path, image::messages::kNoLcdHeader);
        return false;
    }
    if (probe.error() != download::StreamError::None) {
        PrintFileError(path, download::describe(probe.error()));
        return false;
    }
    rows = probe.header().height;
    return true;
}

int RunStream(const std::vector<std::string>& args) {
    const auto names = NamesOnly(args);
    if (!names) {
        return UsageError("stream", std::string(image::messages::kUnknownOption) +
                                        TerminalName(FirstOption(args)));
    }
    if (names->size() != 1 || names->front().empty()) {
        return UsageError("stream", image::messages::kNeedsOneFile);
    }
    const std::string& path = names->front();
    download::StreamBytesResult stream;
    if (!streamOf(path, stream)) {
        return kExitFailure;
    }
    if (const int error = WriteToStdout(stream.bytes); error != 0) {
        PrintFileError(kStandardOutputName, std::strerror(error));
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vornix::cli
