// vornix-cli pattern [--size WxH] [--to pxl|bmp] NAME OUTPUT: writes a test pattern as PXL text or
// a 1-bit bitmap, for checking a module, its wiring and the bit order of a download.
#include <optional>
#include <string>
#include <vector>

#include "cli_files.h"
#include "commands.h"
#include "convert_options.h"
#include "image/text/messages.h"
#include "image/picture/test_pattern.h"
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

// The value of an option given as "--name VALUE" or "--name=VALUE" at args[i] (i moves past
// it); nullopt when args[i] is not that option. `missing` is set when no value follows.
std::optional<std::string> valueOf(const std::vector<std::string>& args, std::size_t& i,
                                   std::string_view name, bool& missing) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
        return arg.substr(name.size() + 1);
    }
    if (arg != name) {
        return std::nullopt;
    }
    if (i + 1 >= args.size()) {
        missing = true;
        return std::string();
    }
    return args[++i];
}

// Reads the options and names; the reason of a usage error, or "".
std::string parsePatternArgs(const std::vector<std::string>& args, PatternArgs& parsed) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.names.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        bool missing = false;
        if (const auto size = valueOf(args, i, "--size", missing)) {
            const auto value = ParsePictureSize(*size);
            if (missing || !value) {
                return missing ? "--size needs a value"
                               : "bad value for --size: " + TerminalName(*size);
            }
            parsed.size = *value;
        } else if (const auto to = valueOf(args, i, "--to", missing)) {
            const image::FormatEntry* entry = missing ? nullptr : image::FormatNamed(*to);
            if (entry == nullptr || !entry->canWrite()) {
                return missing ? "--to needs a value" : "bad value for --to: " + TerminalName(*to);
            }
            parsed.to = entry->format;
        } else {
            return std::string(image::messages::kUnknownOption) + TerminalName(arg);
        }
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
    // --to gives the form of any OUTPUT; else the ending does, and standard output takes PXL.
    const std::string& output = parsed.names[1];
    const std::optional<image::PictureFormat> named =
        IsStandardStream(output) ? image::PictureFormat::Pxl : FormatOfName(output);
    if (!named && !parsed.to) {
        return UsageError(kCommand, image::messages::kOutputEnding);
    }
    if (parsed.to && named && !IsStandardStream(output) && *parsed.to != *named) {
        return UsageError(kCommand, "--to does not match OUTPUT's ending");
    }
    return WriteMonoPicture(image::MakeTestPattern(*pattern, parsed.size.width, parsed.size.height),
                            output, parsed.to.value_or(named.value_or(image::PictureFormat::Pxl)));
}

} // namespace vornix::cli
