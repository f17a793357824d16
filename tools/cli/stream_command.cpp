// vornix-cli stream FILE: the exact bytes a download sends for FILE, on stdout.
#include <cstdio>

#include "commands.h"
#include "download/download_view.h"
#include "download/picture_text.h"
#include "download/stream/command_stream.h"

namespace vornix::cli {

int RunStream(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fputs(UsageText(), stderr);
        return kExitUsage;
    }
    const download::PictureText picture =
        download::ReadPictureAsPxl(QString::fromLocal8Bit(args[0].c_str()));
    if (!picture.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(picture.error));
        return kExitFailure;
    }
    const download::StreamBytesResult stream = download::StreamBytes(picture.view());
    if (stream.error == download::StreamError::NoHeader) {
        std::fprintf(stderr, "%s\n", download::kHeaderMissingMessage);
        return kExitFailure;
    }
    if (stream.error != download::StreamError::None) {
        std::fprintf(stderr, "vornix-cli: %s: %s\n", args[0].c_str(),
                     download::DescribeStreamError(stream.error));
        return kExitFailure;
    }
    const bool written =
        std::fwrite(stream.bytes.data(), 1, stream.bytes.size(), stdout) == stream.bytes.size();
    if (std::fflush(stdout) != 0 || !written) {
        std::fputs("vornix-cli: the stream could not be written to the output\n", stderr);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vornix::cli
