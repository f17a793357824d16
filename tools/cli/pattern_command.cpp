// vornix-cli pattern [--size WxH] [--to pxl|bmp] NAME OUTPUT: writes a test pattern as PXL text or
// a 1-bit bitmap, for checking a module, its wiring and the bit order of a download.
#include <optional>
#include <string>
#include <vector>

#include "cli_files.h"
#include "commands.h"
#include "convert_options.h"
#include "image/picture/test_pattern.h"
#include "image/text/messages.h"
#include "made_picture.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

constexpr std::string_view kCommand = "pattern";

struct PatternArgs {
    image::PictureSize size{image::kLcdWidth, image::kLcdHeight};
    std::optional<image::PictureFormat> to;
    std::vector<std::string> names;
};

// Reads the options and names; the reason of a usage error, or "".
std::string parsePatternArgs(const std::vector<std::string>& args, PatternArgs& parsed) {
    const auto readOption = [&parsed](const std::vector<std::string>& all,
                                      std::size_t& i) -> std::optional<std::string> {
        bool missing = false;
        if (const auto size = OptionValue(all, i, "--size", missing)) {
            const auto value = missing ? std::nullopt : ParsePictureSize(*size);
            if (!value) {
                return BadOptionValue("--size", *size, missing);
            }
            parsed.size = *value;
        } else if (const auto to = OptionValue(all, i, "--to", missing)) {
            parsed.to = missing ? std::nullopt : WritableForm(*to);
            if (!parsed.to) {
                return BadOptionValue("--to", *to, missing);
            }
        } else {
            return std::nullopt;
        }
        return std::string();
    };
    if (std::string reason = ReadArguments(args, parsed.names, readOption); !reason.empty()) {
        return reason;
    }
    if (parsed.names.size() != 2 || parsed.names[1].empty()) {
        return "needs a NAME and an OUTPUT";
    }
    return "";
}

} // namespace

int RunPattern(const std::vector<std::string>& args) {
    PatternArgs parsed;
    if (const std::string reason = parsePatternArgs(args, parsed); !reason.empty()) {
        return UsageError(kCommand, reason);
    }
    const auto pattern = image::TestPatternFromName(parsed.names[0]);
    if (!pattern) {
        return UsageError(kCommand, "no pattern is called " + TerminalName(parsed.names[0]));
    }
    return WriteMadePicture(kCommand,
                            image::MakeTestPattern(*pattern, parsed.size.width, parsed.size.height),
                            parsed.names[1], parsed.to);
}

} // namespace vornix::cli
