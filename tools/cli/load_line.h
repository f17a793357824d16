#pragma once

#include <string>
#include <vector>

namespace vornix::cli {

// "vornix-cli load" with the download in this process, over the system's serial line.
int RunLoadInProcess(const std::vector<std::string>& args);

} // namespace vornix::cli
