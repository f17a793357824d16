// "vornix-cli text" in a build without the font renderer (the Windows command line, which has
// neither FreeType nor fontconfig): it says so, and draws nothing.
#include <cstdio>

#include "commands.h"

namespace vornix::cli {

int RunText(const std::vector<std::string>& /*args*/) {
    std::fputs("vornix-cli: text: this build has no font renderer; convert, pattern and stream "
               "work\n",
               stderr);
    return kExitFailure;
}

} // namespace vornix::cli
