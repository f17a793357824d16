// vornix-cli: the picture conversions and the LCD download without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    using namespace vornix::cli;
    if (argc < 2) {
        std::fputs(UsageText(), stderr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "convert") {
        return RunConvert(args);
    }
    if (command == "info") {
        return RunInfo(args);
    }
    if (command == "stream") {
        return RunStream(args);
    }
    if (command == "load") {
        return RunLoad(args);
    }
    if (command == "pattern") {
        return RunPattern(args);
    }
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(UsageText(), stdout);
        return kExitOk;
    }
    std::fputs(UsageText(), stderr);
    return kExitUsage;
}
