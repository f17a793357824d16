// vornix-cli: the picture conversions and the LCD download without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "file_errors.h"
#include "image/platform/platform.h"
#include "image/text/messages.h"
#include "terminal_text.h"

namespace {

using namespace vornix::cli;

using Command = int (*)(const std::vector<std::string>&);

Command commandNamed(const std::string& name) {
    if (name == "convert") {
        return RunConvert;
    }
    if (name == "info") {
        return RunInfo;
    }
    if (name == "stream") {
        return RunStream;
    }
    if (name == "load") {
        return RunLoad;
    }
    if (name == "pattern") {
        return RunPattern;
    }
    if (name == "text") {
        return RunText;
    }
    return nullptr;
}

// "help" alone prints the overview; "help COMMAND" the command's own help.
int help(std::vector<std::string> args) {
    if (!args.empty() && args.front() == "--") {
        args.erase(args.begin());
    }
    if (args.empty()) {
        PutStandardOutput(UsageText());
        return kExitOk;
    }
    const char* text = args.size() == 1 ? CommandHelp(args.front()) : nullptr;
    if (text == nullptr) {
        return UsageError("help", args.size() == 1
                                      ? std::string(vornix::image::messages::kNoSuchCommand) +
                                            TerminalName(args.front())
                                      : std::string("needs at most one COMMAND"));
    }
    PutStandardOutput(text);
    return kExitOk;
}

int runCommand(const std::vector<std::string>& arguments) {
    if (arguments.size() < 2) {
        return UsageError("", "a command is needed: convert, info, stream, load, pattern or text");
    }
    const std::string& command = arguments[1];
    const std::vector<std::string> args(arguments.begin() + 2, arguments.end());
    if (command == "--help" || command == "-h" || command == "help") {
        return help(args);
    }
    if (command == "--version") {
        PutStandardOutput(VersionText("vornix-cli"));
        return kExitOk;
    }
    const Command run = commandNamed(command);
    if (run == nullptr) {
        return UsageError(
            "", command.starts_with("-")
                    ? std::string(vornix::image::messages::kUnknownOption) + TerminalName(command)
                    : std::string(vornix::image::messages::kNoSuchCommand) + TerminalName(command));
    }
    if (AsksForHelp(args)) {
        PutStandardOutput(CommandHelp(command));
        return kExitOk;
    }
    return run(args);
}

} // namespace

int main(int argc, char** argv) {
    vornix::platform::PrepareStandardStreams();
    // Help, the version, info and stream write through stdio: what is left is delivered here.
    return FinishStandardOutput(runCommand(vornix::platform::Arguments(argc, argv)));
}
