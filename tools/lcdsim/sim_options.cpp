#include "sim_options.h"

#include <charconv>
#include <cmath>

#include "image/text/messages.h"

namespace vornix::lcdsim {

namespace {

constexpr double kMaxIdleSeconds = 24.0 * 3600.0;

std::optional<int> parseInt(const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseSeconds(const std::string& text) {
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        value <= 0.0 || value > kMaxIdleSeconds) {
        return std::nullopt;
    }
    return value;
}

// Applies one option that takes a value; returns an error text or "".
std::string applyValue(SimOptions& options, const std::string& name, const std::string& value) {
    if (name == "--device") {
        options.device = value;
    } else if (name == "--pbm") {
        options.pbmPath = value;
    } else if (name == "--png") {
        options.pngPath = value;
    } else if (name == "--exit-after-idle") {
        const auto seconds = parseSeconds(value);
        if (!seconds) {
            return "--exit-after-idle needs a number of seconds above 0";
        }
        options.exitAfterIdle = *seconds;
    } else if (name == "--baud") {
        const auto baud = parseInt(value, 50, 4'000'000);
        if (!baud) {
            return "--baud needs a line speed from 50 to 4000000";
        }
        options.baud = *baud;
    } else if (name == "--scale") {
        const auto scale = parseInt(value, 1, 8);
        if (!scale) {
            return "--scale needs a whole number from 1 to 8";
        }
        options.scale = *scale;
    }
    return "";
}

bool takesValue(const std::string& name) {
    return name == "--device" || name == "--pbm" || name == "--png" ||
           name == "--exit-after-idle" || name == "--baud" || name == "--scale";
}

} // namespace

SimOptionsResult ParseSimOptions(const std::vector<std::string>& args) {
    SimOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        if (name == "--fast" || name == "--headless" || name == "--help" || name == "-h" ||
            name == "--version") {
            if (hasValue) {
                return {std::nullopt, name + " takes no value"};
            }
            if (name == "--fast") {
                options.fast = true;
            } else if (name == "--headless") {
                options.headless = true;
            } else if (name == "--version") {
                options.version = true;
            } else {
                options.help = true;
            }
            continue;
        }
        if (!takesValue(name)) {
            return {std::nullopt, std::string(image::messages::kUnknownOption) + name};
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                return {std::nullopt, std::string(name).append(image::messages::kNeedsAValue)};
            }
            value = args[++i];
        }
        if (const std::string error = applyValue(options, name, value); !error.empty()) {
            return {std::nullopt, error};
        }
    }
    return {options, ""};
}

const char* SimUsageText() {
    return "usage: vornix-lcdsim [options]\n"
           "Simulates the 240 x 128 LCD controller at the far end of a serial line.\n"
           "\n"
           "  --device PATH          read from PATH instead of a new pseudo-terminal\n"
           "  --fast                 read data as soon as it arrives, not at line speed\n"
           "  --baud N               line speed that reading follows (default 9600)\n"
           "  --headless             run without a window\n"
           "  --scale N              window pixels per LCD pixel, 1 to 8 (default 3)\n"
           "  --pbm FILE             write the display to FILE as PBM on SIGUSR1 and at exit\n"
           "  --png FILE             write the display to FILE as PNG on SIGUSR1 and at exit\n"
           "  --exit-after-idle SEC  exit once data has arrived and then none for SEC seconds\n"
           "  -h, --help             show this text\n"
           "  --version              show the release number\n"
           "\n"
           "The first line on standard output is the device to send to, for example\n"
           "/dev/pts/3. SIGUSR1 writes the files and a summary; SIGTERM, SIGINT and closing\n"
           "the window end the simulator, which then writes them once more.\n";
}

} // namespace vornix::lcdsim
