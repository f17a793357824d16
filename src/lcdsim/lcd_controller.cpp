#include "lcdsim/lcd_controller.h"

#include <algorithm>
#include <limits>

#include "image/text/messages.h"

namespace vornix::lcdsim {

namespace {

constexpr std::uint8_t kResetByte = 0x03;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::size_t kShownCommandLength = 48;

// The command as an error report shows it: control and non-ASCII bytes as \xNN, long
// commands cut short, so that a line of garbage stays readable on a terminal.
std::string printable(std::string_view command) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < command.size() && i < kShownCommandLength; ++i) {
        const auto byte = static_cast<unsigned char>(command[i]);
        if (byte < 0x20 || byte >= 0x7F || byte == '"' || byte == '\\') {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0x0F];
        } else {
            text += static_cast<char>(byte);
        }
    }
    if (command.size() > kShownCommandLength) {
        text += "...";
    }
    return text;
}

} // namespace

std::string ControllerError::describe() const {
    return "command " + std::to_string(command) + " \"" + text + "\": " + reason;
}

void LcdController::feed(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) {
        acceptByte(byte);
    }
}

void LcdController::feed(std::string_view bytes) {
    for (char c : bytes) {
        acceptByte(static_cast<std::uint8_t>(c));
    }
}

void LcdController::reset() {
    m_command.clear();
    m_commandTooLong = false;
    m_area = Area{};
    m_position = Position{};
    ++m_counters.resets;
}

void LcdController::acceptByte(std::uint8_t byte) {
    ++m_counters.bytesReceived;
    switch (byte) {
    case kResetByte:
        reset();
        return;
    case kCarriageReturn:
        endCommand();
        return;
    case kLineFeed:
        return;
    default:
        break;
    }
    if (m_command.size() < kMaxCommandLength) {
        m_command.push_back(static_cast<char>(byte));
    } else {
        m_commandTooLong = true;
    }
}

void LcdController::endCommand() {
    const bool blank = std::all_of(m_command.begin(), m_command.end(),
                                   [](char c) { return c == ' ' || c == '\t'; });
    if (!blank || m_commandTooLong) {
        ++m_counters.commands;
        m_commandFailed = false;
        if (m_commandTooLong) {
            fail("longer than " + std::to_string(kMaxCommandLength) + " bytes, ignored");
        } else {
            execute(m_command);
        }
    }
    m_command.clear();
    m_commandTooLong = false;
}

void LcdController::execute(std::string_view command) {
    CommandScanner scanner(command);
    if (scanner.consume('/')) {
        if (scanner.consume('I')) {
            executeInit(scanner, true);
        } else {
            fail(std::string(image::messages::kUnknownCommand));
        }
    } else if (scanner.consume('I')) {
        executeInit(scanner, false);
    } else if (scanner.consume('D')) {
        executeArea(scanner);
    } else if (scanner.consume('G')) {
        executeGraphic(scanner);
    } else {
        fail(std::string(image::messages::kUnknownCommand));
    }
}

void LcdController::executeInit(CommandScanner& scanner, bool clear) {
    const auto mode = scanner.number();
    if (!mode) {
        fail("missing mode number");
        return;
    }
    if (!expectEnd(scanner)) {
        return;
    }
    if (*mode != kGraphicsMode) {
        fail("unsupported mode " + std::to_string(*mode) + ", ignored");
        return;
    }
    m_area = Area{};
    m_position = Position{};
    if (clear) {
        m_framebuffer.clear();
        ++m_revision;
    }
}

void LcdController::executeArea(CommandScanner& scanner) {
    std::int64_t bytesPerRow = 0;
    std::int64_t rows = 0;
    if (!readCoordinate(scanner, bytesPerRow) || !readCoordinate(scanner, rows) ||
        !expectEnd(scanner)) {
        return;
    }
    m_area.bytesPerRow =
        static_cast<int>(std::clamp<std::int64_t>(bytesPerRow, 0, Framebuffer::kBytesPerRow));
    m_area.rows = static_cast<int>(std::clamp<std::int64_t>(rows, 0, Framebuffer::kHeight));
}

// "G 0 <row> <column>" and "G <n>,<values>" share their first number; what follows it tells
// them apart.
void LcdController::executeGraphic(CommandScanner& scanner) {
    const auto first = scanner.number();
    if (!first) {
        fail(std::string(image::messages::kMissingNumber));
        return;
    }
    if (scanner.atEnd()) {
        executeData(*first, scanner, false);
        return;
    }
    if (scanner.consume(',')) {
        executeData(*first, scanner, true);
        return;
    }
    if (*first != 0) {
        fail("unknown G function " + std::to_string(*first));
        return;
    }
    executePosition(scanner);
}

void LcdController::executePosition(CommandScanner& scanner) {
    std::int64_t row = 0;
    std::int64_t column = 0;
    if (!readCoordinate(scanner, row) || !readCoordinate(scanner, column) || !expectEnd(scanner)) {
        return;
    }
    m_position = Position{static_cast<int>(row), static_cast<int>(column)};
}

// With values, the scanner stands just after the comma that opens the first one. Every value
// field takes one column, even a bad one, so that the good values after it still land where
// the sender meant them.
void LcdController::executeData(std::int64_t announced, CommandScanner& scanner, bool hasValues) {
    std::int64_t received = 0;
    if (hasValues) {
        do {
            const std::string_view field = scanner.untilComma();
            ++received;
            if (const auto value = ParseControllerValue(field)) {
                writeData(*value);
            } else {
                fail("bad value \"" + printable(field) + "\"");
                advanceColumn();
            }
        } while (scanner.consume(','));
    }
    if (received != announced) {
        fail("announced " + std::to_string(announced) + " values, received " +
             std::to_string(received));
    }
}

void LcdController::writeData(std::uint8_t value) {
    ++m_counters.dataBytes;
    const bool inArea = m_position.row >= 0 && m_position.row < m_area.rows &&
                        m_position.column >= 0 && m_position.column < m_area.bytesPerRow;
    if (inArea && m_framebuffer.setByte(m_position.row, m_position.column, value)) {
        ++m_revision;
    } else {
        ++m_counters.clippedBytes;
    }
    advanceColumn();
}

// Saturates instead of overflowing on an endless run of data commands without a position.
void LcdController::advanceColumn() {
    if (m_position.column < std::numeric_limits<int>::max()) {
        ++m_position.column;
    }
}

bool LcdController::readCoordinate(CommandScanner& scanner, std::int64_t& value) {
    const auto number = scanner.number();
    if (!number) {
        fail(std::string(image::messages::kMissingNumber));
        return false;
    }
    if (*number > kMaxCoordinate || *number < -kMaxCoordinate) {
        fail("number out of range");
        return false;
    }
    value = *number;
    return true;
}

bool LcdController::expectEnd(CommandScanner& scanner) {
    if (scanner.atEnd()) {
        return true;
    }
    fail("unexpected text after the command");
    return false;
}

// A command counts as one error however many faults it has; the first one is reported.
void LcdController::fail(std::string reason) {
    if (m_commandFailed) {
        return;
    }
    m_commandFailed = true;
    ++m_counters.errors;
    m_recentErrors.push_back(
        ControllerError{m_counters.commands, printable(m_command), std::move(reason)});
    if (m_recentErrors.size() > kRecentErrorCount) {
        m_recentErrors.pop_front();
    }
}

} // namespace vornix::lcdsim
