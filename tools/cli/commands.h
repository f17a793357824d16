#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vornix::cli {

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStopped = 130;

// Each command receives the arguments after its own name and returns the exit code.
int RunConvert(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunStream(const std::vector<std::string>& args);
int RunLoad(const std::vector<std::string>& args);
int RunPattern(const std::vector<std::string>& args);
int RunText(const std::vector<std::string>& args);

// True when a download of FILE has a command stream; false with the reason printed ("vornix-cli:
// FILE: reason"), as "vornix-cli stream" tells it.
bool PictureCanBeLoaded(const std::string& path);

// The PXL text a load of FILE sends and its number of rows; false with the reason printed, in
// the load's words.
bool PictureForLoad(const std::string& path, std::string& pxlText, int& rows);

// The overview printed by --help and "help".
const char* UsageText();

// The help of one command ("convert", "load", ...), or nullptr for a name that is none.
const char* CommandHelp(std::string_view command);

// "PROGRAM 0.71\n": the line --version prints.
const char* VersionText(std::string_view program);

// True when the arguments hold --help or -h before a "--".
bool AsksForHelp(const std::vector<std::string>& args);

// The first argument before a "--" that looks like an option ("-x", "--name"), or "".
std::string FirstOption(const std::vector<std::string>& args);

// A usage error: one line "vornix-cli COMMAND: REASON" (without COMMAND when empty), then a
// pointer to --help, on stderr. Returns kExitUsage.
int UsageError(std::string_view command, std::string_view reason);

} // namespace vornix::cli
