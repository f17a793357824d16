#include <cstdio>

#include "commands.h"

namespace vornix::cli {

// Placeholder until the command is built.
int RunLoad(const std::vector<std::string>& /*args*/) {
    std::fputs("vornix-cli: load is not available yet\n", stderr);
    return kExitFailure;
}

} // namespace vornix::cli
