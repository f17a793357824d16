#include <cstdio>

#include "commands.h"

namespace vornix::cli {

// Placeholder until the command is built.
int RunConvert(const std::vector<std::string>& /*args*/) {
    std::fputs("vornix-cli: convert is not available yet\n", stderr);
    return kExitFailure;
}

} // namespace vornix::cli
