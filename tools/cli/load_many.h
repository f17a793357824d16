#pragma once

#include <string>
#include <vector>

namespace vornix::cli {

// One port of a load to many: the device and the picture it receives.
struct PortTarget {
    std::string device;
    std::string file;
};

// Loads every target at once, one vornix-cli-load (`helper`) each. Each helper's lines go to
// standard error as "DEVICE: line"; at the end one line a port ("DEVICE: loaded", "DEVICE:
// failed: reason", "DEVICE: stopped") and a summary ("2 loaded, 1 failed: DEVICE: reason").
// Ctrl+C stops every download at its next group of values. Returns 0 when every port loaded,
// 130 when stopped, 1 when any failed.
int RunLoadMany(const std::vector<PortTarget>& targets, const std::string& helper);

} // namespace vornix::cli
