#include "lcdsim/command_scanner.h"

namespace vornix::lcdsim {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexDigit(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

void CommandScanner::skipBlanks() {
    while (m_pos < m_text.size() && isBlank(m_text[m_pos])) {
        ++m_pos;
    }
}

bool CommandScanner::atEnd() {
    skipBlanks();
    return m_pos >= m_text.size();
}

bool CommandScanner::consume(char c) {
    skipBlanks();
    if (m_pos < m_text.size() && m_text[m_pos] == c) {
        ++m_pos;
        return true;
    }
    return false;
}

std::optional<std::int64_t> CommandScanner::number() {
    skipBlanks();
    std::size_t pos = m_pos;
    const bool negative = pos < m_text.size() && m_text[pos] == '-';
    if (negative) {
        ++pos;
    }
    if (pos >= m_text.size() || !isDigit(m_text[pos])) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; pos < m_text.size() && isDigit(m_text[pos]); ++pos) {
        value = value * 10 + (m_text[pos] - '0');
        if (value > kSaturation) {
            value = kSaturation;
        }
    }
    m_pos = pos;
    return negative ? -value : value;
}

std::string_view CommandScanner::untilComma() {
    const std::size_t comma = m_text.find(',', m_pos);
    const std::size_t end = comma == std::string_view::npos ? m_text.size() : comma;
    const std::string_view field = m_text.substr(m_pos, end - m_pos);
    m_pos = end;
    return field;
}

std::optional<std::uint8_t> ParseControllerValue(std::string_view text) {
    text = trimBlanks(text);
    if (text.size() < 2 || !isDigit(text.front()) || (text.back() != 'h' && text.back() != 'H')) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : text.substr(0, text.size() - 1)) {
        const int digit = hexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 0xFF) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint8_t>(value);
}

} // namespace vornix::lcdsim
