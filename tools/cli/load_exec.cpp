// "vornix-cli load" hands over to vornix-cli-load, installed beside vornix-cli.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "commands.h"

namespace vornix::cli {

namespace {

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

} // namespace

int RunLoad(const std::vector<std::string>& args) {
    const std::string program = ownDirectory() + "/vornix-cli-load";
    std::vector<char*> argv;
    std::string name = "vornix-cli-load";
    argv.push_back(name.data());
    std::vector<std::string> copies(args);
    for (auto& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    std::fprintf(stderr, "vornix-cli: load: cannot start %s: %s\n", program.c_str(),
                 std::strerror(errno));
    return kExitFailure;
}

} // namespace vornix::cli
