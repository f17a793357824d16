#include "convert_options.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <utility>
#include <variant>

#include "cli_files.h"
#include "commands.h"
#include "image/atomic_file.h"
#include "image/bounded_read.h"
#include "image/decode_bmp.h"
#include "image/error_codes.h"
#include "image/output_file.h"
#include "image/prepare_bitmap.h"
#include "image/prepare_buffer.h"
#include "image/prepare_decode.h"
#include "image/prepare_picture.h"

namespace vornix::cli {

namespace {

constexpr std::string_view kCommand = "convert";
constexpr std::string_view kNotRead = "The picture could not be read.";
constexpr std::string_view kNotPrepared = "The picture could not be prepared.";
constexpr std::string_view kNotWritten = "The picture could not be written.";

// Sets `target` to the choice named `value`; false when no choice has that name.
template <typename T, std::size_t N>
bool setChoice(std::string_view value, const std::array<std::pair<std::string_view, T>, N>& choices,
               T& target) {
    for (const auto& [name, choice] : choices) {
        if (name == value) {
            target = choice;
            return true;
        }
    }
    return false;
}

constexpr std::array<std::pair<std::string_view, image::Fit>, 4> kFits = {{
    {"keep", image::Fit::Keep},
    {"fit", image::Fit::Fit},
    {"stretch", image::Fit::Stretch},
    {"center", image::Fit::Center},
}};
constexpr std::array<std::pair<std::string_view, image::Rotation>, 4> kRotations = {{
    {"0", image::Rotation::None},
    {"90", image::Rotation::Clockwise90},
    {"180", image::Rotation::Half},
    {"270", image::Rotation::Clockwise270},
}};
constexpr std::array<std::pair<std::string_view, image::Flip>, 3> kFlips = {{
    {"none", image::Flip::None},
    {"h", image::Flip::Horizontal},
    {"v", image::Flip::Vertical},
}};
constexpr std::array<std::pair<std::string_view, image::Dither>, 5> kDithers = {{
    {"none", image::Dither::None},
    {"fs", image::Dither::FloydSteinberg},
    {"atkinson", image::Dither::Atkinson},
    {"bayer4", image::Dither::Bayer4},
    {"bayer8", image::Dither::Bayer8},
}};

struct PreparedArgs {
    image::PrepareOptions options;
    bool sizeGiven = false;
    std::vector<std::string> names;
};

std::optional<int> parseWhole(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

bool setThreshold(std::string_view value, image::PrepareOptions& options) {
    if (value == "auto") {
        options.autoThreshold = true;
        return true;
    }
    // Digits only: from_chars would take a sign.
    if (value.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    const auto level = parseWhole(value, 0, 255);
    if (!level) {
        return false;
    }
    options.autoThreshold = false;
    options.threshold = *level;
    return true;
}

// Applies one option with its value; false when the value is not one the option takes.
bool applyOption(std::string_view name, std::string_view value, PreparedArgs& parsed) {
    image::PrepareOptions& o = parsed.options;
    if (name == "--fit") {
        return setChoice(value, kFits, o.fit);
    }
    if (name == "--rotate") {
        return setChoice(value, kRotations, o.rotation);
    }
    if (name == "--flip") {
        return setChoice(value, kFlips, o.flip);
    }
    if (name == "--dither") {
        return setChoice(value, kDithers, o.dither);
    }
    if (name == "--threshold") {
        return setThreshold(value, o);
    }
    const auto size = ParsePictureSize(value); // --size
    if (size) {
        o.targetWidth = size->width;
        o.targetHeight = size->height;
        parsed.sizeGiven = true;
    }
    return size.has_value();
}

constexpr std::array<std::string_view, 6> kValueOptions = {"--fit",  "--size",   "--rotate",
                                                           "--flip", "--dither", "--threshold"};
constexpr std::string_view kInvert = "--invert";

bool takesValue(std::string_view name) {
    for (const std::string_view option : kValueOptions) {
        if (option == name) {
            return true;
        }
    }
    return false;
}

// The option's name, without "=value".
std::string_view optionName(std::string_view arg) {
    return arg.substr(0, arg.find('='));
}

// Reads the options and the two names; the reason of a usage error otherwise.
std::variant<PreparedArgs, std::string> parsePreparedArgs(const std::vector<std::string>& args) {
    PreparedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.names.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::string_view name = optionName(arg);
        const bool inlineValue = name.size() < arg.size();
        if (name == kInvert && !inlineValue) {
            parsed.options.invert = true;
            continue;
        }
        if (!takesValue(name)) {
            return "unknown option " + std::string(arg);
        }
        if (!inlineValue && i + 1 >= args.size()) {
            return std::string(name) + " needs a value";
        }
        const std::string_view value = inlineValue ? arg.substr(name.size() + 1) : args[++i];
        if (!applyOption(name, value, parsed)) {
            return "bad value for " + std::string(name) + ": " + std::string(value);
        }
    }
    if (parsed.sizeGiven && parsed.options.fit == image::Fit::Keep) {
        return "--size needs --fit fit, stretch or center";
    }
    if (parsed.names.size() != 2 || parsed.names[0].empty() || parsed.names[1].empty()) {
        return "convert takes an INPUT and an OUTPUT";
    }
    if (KindOfName(parsed.names[1]) == PictureKind::Other) {
        return "OUTPUT must end in .pxl or .bmp";
    }
    return parsed;
}

int failure(std::string_view headline, std::string_view cause) {
    PrintMessage(std::string(headline) + "\n" + std::string(cause));
    return kExitFailure;
}

} // namespace

bool HasPrepareOptions(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false;
        }
        const std::string_view name = optionName(arg);
        if ((name == kInvert && name.size() == arg.size()) || takesValue(name)) {
            return true;
        }
    }
    return false;
}

std::optional<image::PictureSize> ParsePictureSize(std::string_view text) {
    const std::size_t cross = text.find_first_of("xX");
    if (cross == std::string_view::npos ||
        text.find_first_not_of("0123456789xX") != std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = parseWhole(text.substr(0, cross), 1, image::kMaxPreparedSide);
    const auto height = parseWhole(text.substr(cross + 1), 1, image::kMaxPreparedSide);
    if (!width || !height || std::int64_t{*width} * *height > image::kMaxPicturePixels) {
        return std::nullopt;
    }
    return image::PictureSize{*width, *height};
}

int UsageError(std::string_view command, std::string_view reason) {
    PrintMessage("vornix-cli " + std::string(command) + ": " + std::string(reason));
    std::fputs(UsageText(), stderr);
    return kExitUsage;
}

int WriteMonoPicture(const image::MonoImage& picture, const std::string& path) {
    const std::vector<std::uint8_t> bitmap = image::MonoBitmapBytes(picture);
    image::OutputFile output(path);
    bool written = false;
    if (KindOfName(path) == PictureKind::Pxl) {
        written = image::DecodeBMP(bitmap, output).converted() && output.commit();
    } else {
        written = output.write({reinterpret_cast<const char*>(bitmap.data()), bitmap.size()}) &&
                  output.commit();
    }
    if (!written) {
        output.abandon();
        return failure(kNotWritten,
                       path + ": " + (output.error() != 0 ? output.reason() : "conversion failed"));
    }
    return kExitOk;
}

int RunPreparedConvert(const std::vector<std::string>& args) {
    auto parsed = parsePreparedArgs(args);
    if (const auto* reason = std::get_if<std::string>(&parsed)) {
        return UsageError(kCommand, *reason);
    }
    const PreparedArgs& request = std::get<PreparedArgs>(parsed);
    const image::PictureFileResult file = image::ReadGreyPictureFile(request.names[0]);
    if (file.error != 0) {
        PrintMessage(InputRefusalMessage(request.names[0], file.error));
        return kExitFailure;
    }
    const image::PictureReadResult& picture = file.picture;
    if (!picture.ok()) {
        return failure(kNotRead, image::DescribePictureReadOutcome(picture.outcome));
    }
    const image::PrepareResult prepared = image::PreparePicture(picture.image, request.options);
    if (!prepared.prepared()) {
        return failure(kNotPrepared, image::DescribePrepareOutcome(prepared.outcome));
    }
    return WriteMonoPicture(prepared.picture, request.names[1]);
}

} // namespace vornix::cli
