#include "image/pxl_fields.h"

namespace vornix::image {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
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

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

} // namespace

std::optional<std::string_view> PxlFieldReader::next() {
    if (atEnd()) {
        return std::nullopt;
    }
    const std::size_t start = m_pos;
    std::size_t end = start;
    while (end < m_text.size() && m_text[end] != ',' && m_text[end] != '\r' &&
           m_text[end] != '\n') {
        ++end;
    }
    m_pos = end;
    if (m_pos < m_text.size()) {
        const char delimiter = m_text[m_pos++];
        if (delimiter == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n') {
            ++m_pos;
        }
    }
    return trimBlanks(m_text.substr(start, end - start));
}

bool HasPxlMarker(std::string_view text) {
    PxlFieldReader reader(text);
    const auto first = reader.next();
    return first && *first == "@";
}

std::optional<std::int16_t> ParseHeaderNumber(std::string_view field) {
    field = trimBlanks(field);
    bool negative = false;
    if (!field.empty() && (field.front() == '-' || field.front() == '+')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    if (field.empty()) {
        return std::nullopt;
    }
    std::int32_t value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > 32768) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

PxlHeaderResult ReadPxlHeader(PxlFieldReader& reader) {
    PxlHeaderResult result;
    const auto marker = reader.next();
    if (!marker || *marker != "@") {
        result.error = PxlHeaderError::NoMarker;
        return result;
    }
    std::int16_t numbers[3] = {};
    for (auto& number : numbers) {
        const auto field = reader.next();
        if (!field) {
            result.error = PxlHeaderError::MissingField;
            return result;
        }
        const auto parsed = ParseHeaderNumber(*field);
        if (!parsed) {
            result.error = PxlHeaderError::BadNumber;
            return result;
        }
        number = *parsed;
    }
    result.header = PxlHeader{numbers[0], numbers[1], numbers[2]};
    return result;
}

std::optional<std::uint8_t> ParseDataValue(std::string_view field) {
    if (field.empty()) {
        return std::nullopt;
    }
    field.remove_suffix(1);
    while (!field.empty() && isBlank(field.front())) {
        field.remove_prefix(1);
    }
    unsigned value = 0;
    for (const char c : field) {
        const int digit = hexDigit(c);
        if (digit < 0) {
            break;
        }
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 255) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint8_t>(value);
}

int ValuesPerRow(int width, int pixelsPerValue) {
    if (pixelsPerValue <= 0 || width <= 0) {
        return 0;
    }
    return (width + pixelsPerValue - 1) / pixelsPerValue;
}

} // namespace vornix::image
