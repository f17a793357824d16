#include "convert_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <utility>
#include <variant>

#include "cli_files.h"
#include "commands.h"
#include "exact_convert.h"
#include "file_errors.h"
#include "image/picture/decode_bmp.h"
#include "image/text/messages.h"
#include "image/files/output_file.h"
#include "image/picture/prepare_bitmap.h"
#include "image/photo/prepare_buffer.h"
#include "image/photo/prepare_defaults.h"
#include "same_file.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

constexpr std::string_view kCommand = "convert";

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

} // namespace

std::optional<int> ParseWhole(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

namespace {

bool setThreshold(std::string_view value, image::PrepareOptions& options) {
    if (value == "auto") {
        options.autoThreshold = true;
        return true;
    }
    // Digits only: from_chars would take a sign.
    if (value.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    const auto level = ParseWhole(value, 0, 255);
    if (!level) {
        return false;
    }
    options.autoThreshold = false;
    options.threshold = *level;
    return true;
}

constexpr std::array<std::pair<std::string_view, bool>, 2> kFrames = {{
    {"first", false},
    {"all", true},
}};

// Options of the batch and of the output, which shape no pixel.
bool applyOutputOption(std::string_view name, std::string_view value, PreparedArgs& parsed) {
    if (name == "--to") {
        const image::FormatEntry* entry = image::FormatNamed(value);
        if (entry == nullptr || !entry->canWrite()) {
            return false;
        }
        parsed.to = entry->format;
        return true;
    }
    if (IsFirmwareOption(name)) {
        return ApplyFirmwareOption(name, value, parsed.firmware);
    }
    if (name == "--frames") {
        return setChoice(value, kFrames, parsed.allFrames);
    }
    if (name == "--output-dir" || name == "-o") {
        parsed.outputDir = value;
        parsed.batch = true;
        return !value.empty();
    }
    const auto jobs = ParseWhole(value, 1, kMaxJobs); // --jobs, -j
    if (jobs) {
        parsed.jobs = *jobs;
    }
    return jobs.has_value();
}

// Applies one option with its value; false when the value is not one the option takes.
bool applyOption(std::string_view name, std::string_view value, PreparedArgs& parsed) {
    image::PrepareOptions& o = parsed.options;
    parsed.pixelsShaped = parsed.pixelsShaped || name == "--fit" || name == "--rotate" ||
                          name == "--flip" || name == "--dither" || name == "--threshold" ||
                          name == "--size";
    if (name == "--fit") {
        parsed.fitGiven = true;
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
    if (name == "--size") {
        const auto size = ParsePictureSize(value);
        if (size) {
            o.targetWidth = size->width;
            o.targetHeight = size->height;
            parsed.sizeGiven = true;
        }
        return size.has_value();
    }
    return applyOutputOption(name, value, parsed);
}

constexpr std::array<std::string_view, 12> kValueOptions = {
    "--fit", "--size",   "--rotate",     "--flip", "--dither", "--threshold",
    "--to",  "--frames", "--output-dir", "-o",     "--jobs",   "-j"};
constexpr std::string_view kInvert = "--invert";

bool isQuiet(std::string_view arg) {
    return arg == "-q" || arg == "--quiet";
}

bool takesValue(std::string_view name) {
    if (IsFirmwareOption(name)) {
        return true;
    }
    for (const std::string_view option : kValueOptions) {
        if (option == name) {
            return true;
        }
    }
    return false;
}

// The option's name, without "=value"; a short option ("-o", "-j") without the value joined
// to it ("-j4").
std::string_view optionName(std::string_view arg) {
    if (arg.size() > 2 && arg[0] == '-' && arg[1] != '-') {
        return arg.substr(0, 2);
    }
    return arg.substr(0, arg.find('='));
}

// The value joined to an option ("--fit=keep", "-j4"), or nullopt when it has none.
std::optional<std::string_view> joinedValue(std::string_view arg, std::string_view name) {
    if (name.size() >= arg.size()) {
        return std::nullopt;
    }
    return name.size() == 2 && name[1] != '-' ? arg.substr(2) : arg.substr(name.size() + 1);
}

std::string checkNames(const PreparedArgs& parsed) {
    if (parsed.sizeGiven && parsed.options.fit == image::Fit::Keep) {
        return "--size needs --fit fit, stretch or center";
    }
    for (const std::string& name : parsed.names) {
        if (name.empty()) {
            return "a file name is empty";
        }
    }
    if (parsed.batch) {
        if (std::count(parsed.names.begin(), parsed.names.end(), kStandardStream) != 0) {
            return "standard input (-) cannot be part of a batch";
        }
        return parsed.names.empty() ? "--output-dir needs at least one INPUT" : "";
    }
    if (parsed.names.size() != 2) {
        return std::string(image::messages::kNeedsInputAndOutput);
    }
    if (IsStandardStream(parsed.names[1])) {
        return parsed.allFrames ? "--frames all needs a named OUTPUT" : "";
    }
    // --to gives the form of any OUTPUT (a device, a FIFO, any name); else the ending does.
    const std::optional<image::PictureFormat> form = FormatOfName(parsed.names[1]);
    if (!form) {
        return parsed.to ? "" : std::string(image::messages::kOutputEnding);
    }
    if (parsed.to && *parsed.to != form) {
        return "--to does not match OUTPUT's ending";
    }
    return "";
}

// Reads the options and the names; the reason of a usage error otherwise.
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
        const auto joined = joinedValue(arg, name);
        if (name == kInvert && !joined) {
            parsed.options.invert = true;
            parsed.pixelsShaped = true;
            continue;
        }
        if (ApplyFirmwareFlag(arg, parsed.firmware)) {
            continue;
        }
        if (isQuiet(arg)) {
            parsed.quiet = true;
            continue;
        }
        if (!takesValue(name)) {
            return std::string(image::messages::kUnknownOption) + TerminalName(arg);
        }
        if (!joined && i + 1 >= args.size()) {
            return std::string(name) + std::string(image::messages::kNeedsAValue);
        }
        const std::string_view value = joined ? *joined : std::string_view(args[++i]);
        if (!applyOption(name, value, parsed)) {
            return "bad value for " + std::string(name) + ": " + TerminalName(value);
        }
    }
    if (const std::string reason = checkNames(parsed); !reason.empty()) {
        return reason;
    }
    return parsed;
}

// False, with the reason printed, when the picture is not to be written: too many frames, or
// an output that is the input or another output. Nothing has been written yet.
bool outputsAllowed(const std::string& input, const PictureOutputs& outputs) {
    if (!outputs.refusal.empty()) {
        PrintFileError(input, outputs.refusal);
        return false;
    }
    const std::vector<std::string> clashes = SameFileLines({input}, outputs.names);
    for (const std::string& line : clashes) {
        PrintMessage(line);
    }
    return clashes.empty();
}

} // namespace

void IgnoreLine(std::string_view /*line*/) {}

image::PictureFormat FormOf(const PreparedArgs& request, const std::string& output) {
    if (request.to) {
        return *request.to;
    }
    if (IsStandardStream(output)) {
        return image::PictureFormat::Pxl;
    }
    return FormatOfName(output).value_or(image::PictureFormat::Pxl);
}

bool HasPrepareOptions(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false;
        }
        const std::string_view name = optionName(arg);
        if ((name == kInvert && name.size() == arg.size()) || takesValue(name) ||
            arg == "--draw-pixels" || arg == "--no-static" || arg == "--no-const") {
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
    const auto width = ParseWhole(text.substr(0, cross), 1, image::kMaxPreparedSide);
    const auto height = ParseWhole(text.substr(cross + 1), 1, image::kMaxPreparedSide);
    if (!width || !height || std::int64_t{*width} * *height > image::kMaxPicturePixels) {
        return std::nullopt;
    }
    return image::PictureSize{*width, *height};
}

std::string WriteMonoFile(const image::MonoImage& picture, const std::string& path,
                          image::PictureFormat form, const FirmwareArgs& firmware) {
    if (IsFirmwareFormat(form)) {
        return WritePackedFile(image::PackedFromMono(picture), path, form, firmware);
    }
    const std::vector<std::uint8_t> bitmap = image::MonoBitmapBytes(picture);
    CommandOutput output(path);
    bool written = false;
    if (form != image::PictureFormat::Bitmap) {
        written = image::ConvertBitmapToPxl(bitmap, output).converted() && output.commit();
    } else {
        written = output.write({reinterpret_cast<const char*>(bitmap.data()), bitmap.size()}) &&
                  output.commit();
    }
    if (!written) {
        output.abandon();
        return TerminalName(path) + ": " +
               (output.error() != 0 ? output.reason() : "conversion failed");
    }
    return "";
}

int WriteMonoPicture(const image::MonoImage& picture, const std::string& path,
                     image::PictureFormat form, const FirmwareArgs& firmware) {
    if (const std::string reason = WriteMonoFile(picture, path, form, firmware); !reason.empty()) {
        PrintMessage("vornix-cli: " + reason);
        return kExitFailure;
    }
    return kExitOk;
}

int RunPreparedConvert(const std::vector<std::string>& args) {
    auto parsed = parsePreparedArgs(args);
    if (const auto* reason = std::get_if<std::string>(&parsed)) {
        return UsageError(kCommand, *reason);
    }
    const PreparedArgs& request = std::get<PreparedArgs>(parsed);
    if (request.batch) {
        return RunBatch(request);
    }
    const std::string& input = request.names[0];
    const std::string& output = request.names[1];
    const LinePrinter warn = request.quiet ? IgnoreLine : PrintMessage;
    // Standard input: PXL text is streamed (it has one frame); any other picture is read first,
    // as far as its kind needs, and its frames are counted from its bytes.
    std::optional<StandardInputReader> reader;
    std::optional<StandardInput> piped;
    if (IsStandardStream(input)) {
        reader.emplace();
        if (reader->kind() != ContentKind::Pxl) {
            piped = reader->readPicture(kMaxStandardInputBytes);
            if (!piped->ok()) {
                PrintFileError(input, piped->reason());
                return kExitFailure;
            }
        }
    }
    const PictureOutputs outputs = piped    ? OutputsOf(request, piped->bytes, output)
                                   : reader ? PictureOutputs{{output}, ""}
                                            : OutputsOfFile(request, input, output);
    if (!outputsAllowed(input, outputs)) {
        return kExitFailure;
    }
    if (ReadsExactly(request, input, output)) {
        return RunExactConvert(request, input, output);
    }
    const std::optional<PictureFailure> failed =
        piped    ? ConvertPictureBytes(request, input, piped->bytes, outputs.names, warn)
        : reader ? ConvertPxlStream(request, *reader, outputs.names, warn)
                 : ConvertPictureFile(request, input, outputs.names, warn);
    if (failed) {
        PrintMessage(failed->line);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vornix::cli
