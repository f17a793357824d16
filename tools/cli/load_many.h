#pragma once

#include <string>
#include <vector>

namespace vornix::cli {

// One port of a load to many: the device and the picture it receives.
struct PortTarget {
    std::string device;
    std::string file;
};

// A load to many ports: the given ones at once, or (eachNewPort) every device matching
// `patterns` that appears while the run waits, each loaded with `file`.
struct ManyLoad {
    std::vector<PortTarget> targets;
    bool eachNewPort = false;
    std::vector<std::string> patterns;
    std::string file;
    // A port whose controller holds the line this long after the download noticed is given up
    // as failed, so that one dead panel does not hold the run.
    int stallSeconds = 10;
};

// The patterns --each-new-port watches when no --ports is given.
inline const std::vector<std::string> kDefaultNewPortPatterns = {"/dev/ttyUSB*", "/dev/ttyACM*"};

// Loads every target at once, one vornix-cli-load (`helper`) each. On a terminal each port has
// one line, redrawn in place (device, state, row, percent, time left, stall); otherwise each
// helper's lines go to standard error as "DEVICE: line". Then one result a port ("DEVICE:
// loaded", "DEVICE: failed: reason", "DEVICE: stopped") and a summary ("2 loaded, 1 failed:
// DEVICE: reason"). With eachNewPort each result comes as its panel ends, with a running count,
// until Ctrl+C. Ctrl+C stops every download at its next group of values. Returns 0 when every
// port loaded, 130 when a download was stopped, 1 when any failed.
int RunLoadMany(const ManyLoad& request, const std::string& helper);

} // namespace vornix::cli
