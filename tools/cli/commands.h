#pragma once

#include <string>
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

// The usage text printed on a usage error.
const char* UsageText();

} // namespace vornix::cli
