#pragma once

#include <cstdint>
#include <string>

#include "lcdsim/framebuffer.h"

namespace vornix::lcdsim {

// The picture area set by the D command, already clipped to the panel; its top left corner is
// the panel's. Data bytes outside it are not displayed.
struct Area {
    int bytesPerRow = Framebuffer::kBytesPerRow;
    int rows = Framebuffer::kHeight;
    bool operator==(const Area&) const = default;
};

// The write position set by "G 0 <row> <column>": a row and a byte column. It may lie outside
// the area; bytes written there are clipped.
struct Position {
    int row = 0;
    int column = 0;
    bool operator==(const Position&) const = default;
};

struct ControllerCounters {
    std::uint64_t bytesReceived = 0; // every byte fed in, line ends and resets included
    std::uint64_t commands = 0;      // non-empty command lines, good or bad
    std::uint64_t dataBytes = 0;     // valid data values received by data commands
    std::uint64_t clippedBytes = 0;  // of those, values that fell outside the area
    std::uint64_t errors = 0;        // commands that had an error (at most one each)
    std::uint64_t resets = 0;        // 0x03 bytes received
};

// One rejected or questionable command.
struct ControllerError {
    std::uint64_t command = 0; // its number among all commands, from 1
    std::string text;          // the command as received, made printable and shortened
    std::string reason;        // what was wrong with it

    // For example: command 7 "G 3,0FFh": announced 3 values, received 1
    std::string describe() const;
};

} // namespace vornix::lcdsim
