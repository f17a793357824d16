#include "load_args.h"

#include "image/text/messages.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

std::string ParseLoadArgs(const std::vector<std::string>& args, bool knowsManyPorts,
                          LoadArgs& parsed) {
    bool haveFile = false;
    bool optionsEnded = false;
    int ports = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (option && arg == "--port") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                return std::string(image::messages::kPortNeedsDevice);
            }
            parsed.device = args[++i];
            ++ports;
        } else if (option && startsWith(arg, "--port=")) {
            if (arg.size() == 7) {
                return std::string(image::messages::kPortNeedsDevice);
            }
            parsed.device = arg.substr(7);
            ++ports;
        } else if (option && knowsManyPorts && (arg == "--ports" || arg == "--stall-time")) {
            parsed.manyPorts = true;
            ++i; // the option's value
        } else if (option && knowsManyPorts &&
                   (arg == "--each-new-port" || startsWith(arg, "--ports=") ||
                    startsWith(arg, "--stall-time="))) {
            parsed.manyPorts = true;
        } else if (option) {
            return std::string(image::messages::kUnknownOption) + TerminalName(arg);
        } else if (arg.empty() || haveFile) {
            return std::string(image::messages::kNeedsOneFile);
        } else {
            parsed.file = arg;
            haveFile = true;
        }
    }
    if (knowsManyPorts && (ports > 1 || parsed.device.find('=') != std::string::npos)) {
        parsed.manyPorts = true;
    }
    if (!haveFile && !parsed.manyPorts) {
        return std::string(image::messages::kNeedsOneFile);
    }
    return "";
}

} // namespace vornix::cli
