#pragma once

#include <cstdint>

namespace vornix::download {

// The three values that event handlers share with a running download. Everything runs on
// the user-interface thread, so plain values suffice.
struct DownloadFlags {
    bool StopDownload = false;   // set by Escape and the close guard, cleared by the download
    bool Transmitting = false;   // true while WriteComPort waits for a command to leave
    std::int32_t TimerTicks = 0; // advanced by the 10 ms tick
};

} // namespace vornix::download
