// "vornix-cli load" hands over to vornix-cli-load: beside vornix-cli in a build tree or a
// portable copy, in the private program folder (libexec/vornix) of an installed copy.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "commands.h"
#include "image/platform/platform.h"
#include "load_many.h"
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

// The ports of a load to many ("--port A --port B", "--port A=pic.pxl") and its FILE; nullopt
// when this is a load to one port, which the helper parses itself. `reason` tells a usage error.
std::optional<std::vector<PortTarget>> manyPorts(const std::vector<std::string>& args,
                                                 std::string& reason) {
    std::vector<std::string> ports;
    std::vector<std::string> names;
    bool optionsEnded = false;
    bool paired = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string port;
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg == "--port" && i + 1 < args.size()) {
            port = args[++i];
        } else if (!optionsEnded && arg.rfind("--port=", 0) == 0) {
            port = arg.substr(7);
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return std::nullopt; // the helper says what is wrong
        } else {
            names.push_back(arg);
            continue;
        }
        paired = paired || port.find('=') != std::string::npos;
        ports.push_back(port);
    }
    if (ports.size() < 2 && !paired) {
        return std::nullopt;
    }
    if (names.size() > 1) {
        reason = "needs at most one FILE besides the ports";
        return std::vector<PortTarget>();
    }
    std::vector<PortTarget> targets;
    for (const std::string& port : ports) {
        const std::size_t equals = port.find('=');
        PortTarget target{port.substr(0, equals), equals == std::string::npos
                                                      ? (names.empty() ? "" : names[0])
                                                      : port.substr(equals + 1)};
        if (target.device.empty() || target.file.empty()) {
            reason = "each --port needs a DEVICE and a FILE (its own DEVICE=FILE, or one FILE "
                     "for all)";
            return std::vector<PortTarget>();
        }
        targets.push_back(target);
    }
    return targets;
}

} // namespace
#endif

int RunLoad(const std::vector<std::string>& args) {
#if !VORNIX_LOAD_HELPER
    // Built without the download helper (without Qt, or for Windows): nothing is sent.
    static_cast<void>(args);
    std::fputs("vornix-cli: load: this build has no serial download; convert and stream work\n",
               stderr);
    return kExitFailure;
#else
    std::string reason;
    if (const auto targets = manyPorts(args, reason)) {
        if (!reason.empty()) {
            return UsageError("load", reason);
        }
        return RunLoadMany(*targets, helperProgram());
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
