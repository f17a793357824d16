#include <cstdio>

#include "commands.h"

namespace vornix::cli {

// Placeholder until the command is built.
int RunStream(const std::vector<std::string>& /*args*/) {
    std::fputs("vornix-cli: stream is not available yet\n", stderr);
    return kExitFailure;
}

} // namespace vornix::cli
