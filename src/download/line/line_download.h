#pragma once

#include <cstdint>
#include <string_view>

#include "download/line/serial_line.h"

namespace vornix::download {

// What a download over a SerialLine tells while it runs.
class DownloadReport {
public:
    virtual ~DownloadReport() = default;
    // Bytes that have left the port so far, of the whole stream's `bytesTotal`.
    virtual void progress(std::int64_t bytesSent, std::int64_t bytesTotal) = 0;
    // Every group of `row` has been sent.
    virtual void rowDone(int row) = 0;
    // The line has stood still for kLineStallMs during a command (true), or moves again or the
    // command is over (false). Only changes are reported.
    virtual void stalled(bool stalled) = 0;
};

enum class LineOutcome {
    Completed, // every command has left the port
    Stopped,   // a stop request ended it early
    Failed     // the text has no usable header, or the line refused bytes or went away
};

struct LineResult {
    LineOutcome outcome = LineOutcome::Failed;
    // Stopped while the controller held the line: what was queued, part of a command included,
    // was dropped.
    bool discardedOnStop = false;
};

// After this long without a byte leaving the port the line counts as held by the controller
// (CTS off). Only then may a stop drop the command in flight; a line that moves, however
// slowly, always finishes its command.
inline constexpr int kLineStallMs = 2000;
// The tick the pause after the I command is counted in.
inline constexpr int kLineTickMs = 10;

// Sends a PXL text to the controller: the byte 0x03, the I command, a pause of 11 ticks, the
// D command, then each row as position and data commands of up to ten values, each command
// waited until nothing of it is queued any more. A stop request is looked at after the pause
// and before each group, so the controller never gets half a group unless the line was held
// when the stop came. The line is closed at the end, whatever the outcome.
LineResult RunLineDownload(std::string_view pxlText, SerialLine& line, DownloadReport& report);

} // namespace vornix::download
