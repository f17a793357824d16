#pragma once

#include <string>
#include <vector>

namespace vornix::cli {

// "vornix-cli load [--port DEVICE] FILE" as given.
struct LoadArgs {
    std::string device; // empty: the default port
    std::string file;
    // --ports, --stall-time, --each-new-port, --port given twice or as DEVICE=FILE: a load to
    // many ports (only read when the caller knows of them).
    bool manyPorts = false;
};

// Reads the port and the file; returns the reason of a usage error, or "". Without
// `knowsManyPorts` the options of a load to many ports are unknown options.
std::string ParseLoadArgs(const std::vector<std::string>& args, bool knowsManyPorts,
                          LoadArgs& parsed);

} // namespace vornix::cli
