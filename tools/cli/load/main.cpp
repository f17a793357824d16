// vornix-cli-load: the serial download behind "vornix-cli load". It is a program of its own so
// that the other commands start without loading the serial and event-loop libraries.
#include <cstdio>
#include <string>
#include <vector>

#include "../commands.h"
#include "file_errors.h"

namespace {

int runHelper(int argc, char** argv) {
    using namespace vornix::cli;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args.front() == "--version") {
        std::fputs(VersionText("vornix-cli-load"), stdout);
        return kExitOk;
    }
    if (AsksForHelp(args)) {
        // The text of "vornix-cli load --help" under this program's own usage line.
        const std::string text = CommandHelp("load");
        std::fputs("usage: vornix-cli-load [--port DEVICE] FILE\n", stdout);
        std::fputs(text.substr(text.find('\n') + 1).c_str(), stdout);
        std::fputs("\nThis program does the download for 'vornix-cli load', which runs it.\n",
                   stdout);
        return kExitOk;
    }
    return RunLoad(args);
}

} // namespace

int main(int argc, char** argv) {
    return vornix::cli::FinishStandardOutput(runHelper(argc, argv));
}
