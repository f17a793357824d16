// "vornix-cli load" hands over to vornix-cli-load: beside vornix-cli in a build tree or a
// portable copy, in the private program folder (libexec/vornix) of an installed copy.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "commands.h"
#include "image/platform/platform.h"
#include "load_line.h"
#include "load_many.h"
#include "port_watch.h"
#include "terminal_text.h"

#if !defined(VORNIX_LIBEXEC_FROM_BIN) || !defined(VORNIX_LOAD_HELPER)
#error "The build must define VORNIX_LIBEXEC_FROM_BIN and VORNIX_LOAD_HELPER"
#endif

namespace vornix::cli {

#if VORNIX_LOAD_HELPER
namespace {

constexpr char kHelperName[] = "vornix-cli-load";

std::string ownDirectory() {
    const std::string self = platform::OwnProgramPath();
    const std::size_t folder = platform::FolderLength(self);
    return folder == 0 ? std::string(".") : self.substr(0, folder - 1);
}

// The first candidate that can be run; the installed place when none can, so that the error
// names where the helper should be.
std::string helperProgram() {
    const std::string directory = ownDirectory();
    const std::string beside = directory + "/" + kHelperName;
    if (platform::IsRunnable(beside)) {
        return beside;
    }
    return directory + "/" VORNIX_LIBEXEC_FROM_BIN "/" + kHelperName;
}

// Reads a whole number of seconds from 1 to 3600; false for anything else.
bool secondsValue(const std::string& text, int& seconds) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    seconds = std::stoi(text);
    return seconds >= 1 && seconds <= 3600;
}

// The option's value: "--name VALUE" or "--name=VALUE"; nullopt when `arg` is not `name`.
std::optional<std::string> optionValue(const std::vector<std::string>& args, std::size_t& i,
                                       const std::string& name, bool& missing) {
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return std::string();
        }
        return args[++i];
    }
    if (arg.rfind(name + "=", 0) == 0) {
        return arg.substr(name.size() + 1);
    }
    return std::nullopt;
}

// A load to many ports ("--port A --port B", "--port A=pic.pxl", "--ports GLOB",
// "--each-new-port") and its FILE; nullopt when this is a load to one port, which the helper
// parses itself. `reason` tells a usage error, `failure` a run-time one (no port matches).
std::optional<ManyLoad> manyPorts(const std::vector<std::string>& args, std::string& reason,
                                  std::string& failure) {
    ManyLoad request;
    std::vector<std::string> ports;
    std::vector<std::string> names;
    bool optionsEnded = false;
    bool paired = false;
    bool many = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            names.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        bool missing = false;
        if (auto port = optionValue(args, i, "--port", missing)) {
            if (missing) {
                return std::nullopt; // the helper says what is missing
            }
            paired = paired || port->find('=') != std::string::npos;
            ports.push_back(*port);
        } else if (auto pattern = optionValue(args, i, "--ports", missing)) {
            std::string folder;
            std::string name;
            if (missing || pattern->empty()) {
                reason = "--ports needs a pattern of device names, such as /dev/ttyUSB*";
                return request;
            }
            if (!PortWatch::Split(*pattern, folder, name, reason)) {
                return request;
            }
            request.patterns.push_back(*pattern);
            many = true;
        } else if (auto seconds = optionValue(args, i, "--stall-time", missing)) {
            if (missing || !secondsValue(*seconds, request.stallSeconds)) {
                reason = "--stall-time needs a whole number of seconds from 1 to 3600";
                return request;
            }
            many = true;
        } else if (arg == "--each-new-port") {
            request.eachNewPort = true;
            many = true;
        } else {
            return std::nullopt; // the helper says what is wrong
        }
    }
    if (!many && ports.size() < 2 && !paired) {
        return std::nullopt;
    }
    if (names.size() > 1) {
        reason = "needs at most one FILE besides the ports";
        return request;
    }
    request.file = names.empty() ? "" : names[0];
    if (request.file == "-") {
        reason = "a load to many ports reads its picture from a file, not standard input";
        return request;
    }
    if (request.eachNewPort) {
        if (!ports.empty()) {
            reason = "--each-new-port takes the ports to watch as --ports GLOB, not --port";
        } else if (request.file.empty()) {
            reason = "--each-new-port needs the FILE to load into every new port";
        }
        if (request.patterns.empty()) {
            request.patterns = kDefaultNewPortPatterns;
        }
        return request;
    }
    for (const std::string& pattern : request.patterns) {
        const std::vector<std::string> found = ExpandPorts(pattern);
        if (found.empty()) {
            failure = "no port matches " + TerminalName(pattern);
            return request;
        }
        ports.insert(ports.end(), found.begin(), found.end());
    }
    for (const std::string& port : ports) {
        const std::size_t equals = port.find('=');
        PortTarget target{port.substr(0, equals),
                          equals == std::string::npos ? request.file : port.substr(equals + 1)};
        if (target.device.empty() || target.file.empty()) {
            reason = "each --port needs a DEVICE and a FILE (its own DEVICE=FILE, or one FILE "
                     "for all)";
            return request;
        }
        const bool again =
            std::any_of(request.targets.begin(), request.targets.end(),
                        [&](const PortTarget& t) { return t.device == target.device; });
        if (!again) { // a device named twice (by --port and by a pattern) is loaded once
            request.targets.push_back(target);
        }
    }
    return request;
}

} // namespace
#endif

int RunLoad(const std::vector<std::string>& args) {
#if !VORNIX_LOAD_HELPER
    // Built without the download helper (without Qt, or for Windows): the download runs here.
    return RunLoadInProcess(args);
#else
    std::string reason;
    std::string failure;
    if (const auto request = manyPorts(args, reason, failure)) {
        if (!reason.empty()) {
            return UsageError("load", reason);
        }
        if (!failure.empty()) {
            std::fprintf(stderr, "vornix-cli: load: %s\n", failure.c_str());
            return kExitFailure;
        }
        // Waiting for panels with a picture that cannot be loaded would fail every one of them.
        if (request->eachNewPort && !PictureCanBeLoaded(request->file)) {
            return kExitFailure;
        }
        return RunLoadMany(*request, helperProgram());
    }
    const std::string program = helperProgram();
    std::vector<std::string> argv{kHelperName};
    argv.insert(argv.end(), args.begin(), args.end());
    int status = kExitFailure;
    const int error = platform::RunInstead(program, argv, status);
    if (error == 0) {
        return status;
    }
    std::fprintf(stderr, "vornix-cli: load: cannot start %s: %s\n", TerminalName(program).c_str(),
                 std::strerror(error));
    return kExitFailure;
#endif
}

} // namespace vornix::cli
