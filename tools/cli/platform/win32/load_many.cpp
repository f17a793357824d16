// "vornix-cli load" with several ports: the Windows build has no serial download yet, so every
// port is reported as not loaded and nothing is sent.
#include <cstdio>
#include <string>

#include "commands.h"
#include "load_many.h"
#include "terminal_text.h"

namespace vornix::cli {

int RunLoadMany(const std::vector<PortTarget>& targets, const std::string& /*helper*/) {
    for (const PortTarget& target : targets) {
        const std::string line = TerminalName(target.device) +
                                 ": failed: this Windows build has no serial download yet\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    return kExitFailure;
}

} // namespace vornix::cli
