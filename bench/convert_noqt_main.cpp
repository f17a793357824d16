// vornix-cli's convert and info commands linked by hand without the download and without any
// Qt library: the benchmark runs it beside vornix-cli to see what vornix-cli's own link costs
// the start of a short conversion.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    using namespace vornix::cli;
    const std::string command = argc >= 2 ? argv[1] : "";
    const std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
    if (command == "convert") {
        return RunConvert(args);
    }
    if (command == "info") {
        return RunInfo(args);
    }
    std::fputs(UsageText(), stderr);
    return kExitUsage;
}
