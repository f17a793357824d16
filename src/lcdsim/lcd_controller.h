#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>

#include "lcdsim/command_scanner.h"
#include "lcdsim/controller_state.h"
#include "lcdsim/framebuffer.h"

namespace vornix::lcdsim {

// The LCD controller: takes the serial byte stream in any chunking and interprets its
// commands into the display memory.
//
// A command is the text up to a CR (0x0D); LF bytes are ignored. The byte 0x03 resets the
// controller wherever it appears and throws away the command being received. Commands:
//   "/I 6"                 initialise the graphics mode and clear the display
//   "I 6"                  initialise the graphics mode, keep the display
//   "D <bytes> <rows>"     set the picture area
//   "G 0 <row> <column>"   set the write position (row, byte column)
//   "G <n>,<v1>,...,<vn>"  write n bytes from the position on, one column further per byte
// Errors are counted and remembered, never fatal: the next command is read as usual.
class LcdController {
public:
    static constexpr std::size_t kMaxCommandLength = 1024;
    static constexpr std::size_t kRecentErrorCount = 8;
    static constexpr int kGraphicsMode = 6;
    // Rows and columns beyond this are refused, so that column arithmetic cannot overflow.
    static constexpr std::int64_t kMaxCoordinate = 999'999'999;

    void feed(std::span<const std::uint8_t> bytes);
    void feed(std::string_view bytes);

    // What the byte 0x03 does: drop the partial command, area back to the whole panel,
    // position back to row 0, column 0. The display memory is kept.
    void reset();

    const Framebuffer& framebuffer() const { return m_framebuffer; }
    Area area() const { return m_area; }
    Position position() const { return m_position; }
    const ControllerCounters& counters() const { return m_counters; }

    // The last kRecentErrorCount errors, oldest first.
    const std::deque<ControllerError>& recentErrors() const { return m_recentErrors; }

    // Advances whenever the display memory is written or cleared; lets a view skip repaints.
    std::uint64_t revision() const { return m_revision; }

private:
    void acceptByte(std::uint8_t byte);
    void endCommand();
    void execute(std::string_view command);
    void executeInit(CommandScanner& scanner, bool clear);
    void executeArea(CommandScanner& scanner);
    void executeGraphic(CommandScanner& scanner);
    void executePosition(CommandScanner& scanner);
    void executeData(std::int64_t announced, CommandScanner& scanner, bool hasValues);
    void writeData(std::uint8_t value);
    void advanceColumn();
    bool readCoordinate(CommandScanner& scanner, std::int64_t& value);
    bool expectEnd(CommandScanner& scanner);
    void fail(std::string reason);

    Framebuffer m_framebuffer;
    Area m_area;
    Position m_position;
    ControllerCounters m_counters;
    std::deque<ControllerError> m_recentErrors;
    std::uint64_t m_revision = 0;
    std::string m_command;
    bool m_commandTooLong = false;
    bool m_commandFailed = false;
};

} // namespace vornix::lcdsim
