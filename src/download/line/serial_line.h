#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vornix::download {

// The controller's serial line as the download without the toolkit drives it: opened at
// 9600 baud, 8 data bits, no parity, 1 stop bit with RTS/CTS handshake. Every wait sleeps in
// the system; nothing here spins.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Queues all of `bytes` for sending. False when the line refuses them or has gone away.
    virtual bool write(std::string_view bytes) = 0;

    // Bytes queued but not yet gone out of the port, in every buffer the program can see;
    // -1 once the line has failed or the device has gone away.
    virtual std::int64_t pendingBytes() = 0;

    // Sleeps until the queued bytes may have moved on, a stop is asked for, or `timeout` has
    // passed, whichever comes first. A stop wakes the sleep once: after that it is only
    // remembered, so that a download waiting out a command does not spin.
    virtual void waitForLine(std::chrono::milliseconds timeout) = 0;

    // True once a stop has been asked for (Ctrl+C), until the line is closed.
    virtual bool stopRequested() = 0;

    // Drops every byte still queued, so that a line the controller holds can be closed at once.
    virtual void discardPending() = 0;

    virtual void close() = 0;
};

inline constexpr int kLineBaudRate = 9600;

struct OpenedLine {
    std::unique_ptr<SerialLine> line;
    std::string reason; // why there is no line, in words ("No such file or directory")
};

// Opens `device` with the controller's line settings; on Windows "COM5" and "\\.\COM5" both
// name the fifth port. With `stopOnInterrupt`, Ctrl+C asks the download to stop for as long as
// the line is open, instead of ending the program.
OpenedLine OpenSerialLine(const std::string& device, bool stopOnInterrupt);

// The device a load uses when none is named: the environment variable VORNIX_COM1 when set and
// not empty, otherwise the system's first serial port (COM1, /dev/ttyS0).
std::string DefaultSerialDevice();

} // namespace vornix::download
