#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vornix::cli {

// Where one port's download stands, as its helper's lines tell it.
enum class PortState { Waiting, Sending, Stalled, Loaded, Failed, Stopped };

// The state as one lamp-like word: "waiting", "sending", "stalled", "loaded", "failed",
// "stopped".
std::string_view StateWord(PortState state);

struct PortProgress {
    PortState state = PortState::Waiting;
    int row = -1;            // the row being sent, from "Row N of M, S s left"
    int rows = 0;            // M
    double secondsLeft = -1; // S
    std::string reason;      // why it failed, once it has
    std::string lastLine;    // the helper's last whole line
};

// Takes one whole line of a port's helper: a row line moves the progress on (and ends a
// stall), the controller's not-ready line marks a stall, "vornix-cli: ..." keeps the reason
// (without the leading "DEVICE: " when it names `device`).
void TakeHelperLine(PortProgress& progress, std::string_view line, std::string_view device);

// One line of the board for a port, at most `width` columns:
// "/dev/ttyUSB0  sending  row  57/128  45%  14.8 s left". `stalledSeconds` >= 0 adds how long
// the line has been held.
std::string BoardLine(std::string_view device, const PortProgress& progress, int stalledSeconds,
                      int width);

// "12 loaded, 1 failed: /dev/ttyUSB7: cannot open: Device or resource busy" (failures joined
// with "; "), with ", N stopped" when any were stopped.
std::string Summary(int loaded, int stopped, const std::vector<std::string>& failures);

} // namespace vornix::cli
