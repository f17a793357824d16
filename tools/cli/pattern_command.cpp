// vornix-cli pattern [--size WxH] NAME OUTPUT: writes a test pattern as PXL text or a 1-bit
// bitmap, for checking a module, its wiring and the bit order of a download.
#include <optional>
#include <string>
#include <vector>

#include "cli_files.h"
#include "commands.h"
#include "convert_options.h"
#include "image/messages.h"
#include "image/test_pattern.h"
#include "standard_streams.h"

namespace vornix::cli {

namespace {

constexpr std::string_view kCommand = "pattern";

} // namespace

int RunPattern(const std::vector<std::string>& args) {
    image::PictureSize size{image::kLcdWidth, image::kLcdHeight};
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool inlineSize = arg.rfind("--size=", 0) == 0;
        if (arg == "--size" || inlineSize) {
            if (!inlineSize && i + 1 >= args.size()) {
                return UsageError(kCommand, "--size needs a value");
            }
            const std::string value = inlineSize ? arg.substr(7) : args[++i];
            const auto parsed = ParsePictureSize(value);
            if (!parsed) {
                return UsageError(kCommand, "bad value for --size: " + value);
            }
            size = *parsed;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(kCommand, std::string(image::messages::kUnknownOption) + arg);
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 2 || names[1].empty()) {
        return UsageError(kCommand, "needs a NAME and an OUTPUT");
    }
    const auto pattern = image::TestPatternFromName(names[0]);
    if (!pattern) {
        return UsageError(kCommand, "no pattern is called " + names[0]);
    }
    // Standard output receives PXL text.
    const PictureKind form = IsStandardStream(names[1]) ? PictureKind::Pxl : KindOfName(names[1]);
    if (form == PictureKind::Other) {
        return UsageError(kCommand, image::messages::kOutputEnding);
    }
    return WriteMonoPicture(image::MakeTestPattern(*pattern, size.width, size.height), names[1],
                            form);
}

} // namespace vornix::cli
