// "vornix-cli load" hands over to vornix-cli-load: beside vornix-cli in a build tree or a
// portable copy, in the private program folder (libexec/vornix) of an installed copy.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "commands.h"
#include "terminal_text.h"

#ifndef VORNIX_LIBEXEC_FROM_BIN
#error "The build must define VORNIX_LIBEXEC_FROM_BIN"
#endif

namespace vornix::cli {

namespace {

constexpr char kHelperName[] = "vornix-cli-load";

std::string ownDirectory() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    const std::string self(path, static_cast<std::size_t>(length));
    const auto slash = self.rfind('/');
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

// The first candidate that can be run; the installed place when none can, so that the error
// names where the helper should be.
std::string helperProgram() {
    const std::string directory = ownDirectory();
    const std::string beside = directory + "/" + kHelperName;
    if (::access(beside.c_str(), X_OK) == 0) {
        return beside;
    }
    return directory + "/" VORNIX_LIBEXEC_FROM_BIN "/" + kHelperName;
}

} // namespace

int RunLoad(const std::vector<std::string>& args) {
    const std::string program = helperProgram();
    std::vector<char*> argv;
    std::string name = kHelperName;
    argv.push_back(name.data());
    std::vector<std::string> copies(args);
    for (auto& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    const int error = errno;
    std::fprintf(stderr, "vornix-cli: load: cannot start %s: %s\n", TerminalName(program).c_str(),
                 std::strerror(error));
    return kExitFailure;
}

} // namespace vornix::cli
