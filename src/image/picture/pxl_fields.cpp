#include "image/picture/pxl_fields.h"

#include <algorithm>
#include <array>

namespace vornix::image {

namespace {

constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// One look-up per character while scanning a field, instead of three comparisons.
constexpr std::array<bool, 256> kEndsField = [] {
    std::array<bool, 256> table{};
    table[','] = table['\r'] = table['\n'] = true;
    return table;
}();

bool endsField(char c) {
    return kEndsField[static_cast<unsigned char>(c)];
}

// Value of each byte as a hexadecimal digit, -1 for every other byte.
constexpr std::array<std::int8_t, 256> kHexDigitValue = [] {
    std::array<std::int8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = -1;
    }
    for (int d = 0; d < 10; ++d) {
        table['0' + d] = static_cast<std::int8_t>(d);
    }
    for (int d = 0; d < 6; ++d) {
        table['A' + d] = static_cast<std::int8_t>(10 + d);
        table['a' + d] = static_cast<std::int8_t>(10 + d);
    }
    return table;
}();

int hexDigit(char c) {
    return kHexDigitValue[static_cast<unsigned char>(c)];
}

std::string_view trimTrailingBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view trimLeadingBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

} // namespace

PxlFieldReader::PxlFieldReader(std::string_view text) : m_text(text) {
    skipBlanks();
}

// Blanks are skipped as soon as a field has been taken, so that blanks at the very end of the
// text count as the end of the file and isAtEnd() needs no look-ahead.
void PxlFieldReader::skipBlanks() {
    while (m_pos < m_text.size() && isBlank(m_text[m_pos])) {
        ++m_pos;
    }
}

std::optional<std::string_view> PxlFieldReader::next() {
    if (isAtEnd()) {
        return std::nullopt;
    }
    const std::size_t start = m_pos;
    // One character past the longest field is enough to tell a field that is too long.
    const std::size_t stop = std::min(m_text.size(), start + kMaxPxlFieldLength + 1);
    std::size_t end = start;
    while (end < stop && !endsField(m_text[end])) {
        ++end;
    }
    if (end - start > kMaxPxlFieldLength) {
        m_malformed = true;
        m_pos = m_text.size();
        return std::nullopt;
    }
    m_pos = end;
    if (m_pos < m_text.size()) {
        const char delimiter = m_text[m_pos++];
        if (delimiter == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n') {
            ++m_pos;
        }
    }
    skipBlanks();
    return trimTrailingBlanks(m_text.substr(start, end - start));
}

DataValueRead PxlFieldReader::nextDataValue() {
    using Status = DataValueRead::Status;
    if (m_text.size() - m_pos >= 5) {
        const char* p = m_text.data() + m_pos;
        const int high = hexDigit(p[1]);
        const int low = hexDigit(p[2]);
        if (p[0] == '0' && high >= 0 && low >= 0 && !endsField(p[3]) && !isBlank(p[3]) &&
            p[4] == ',') {
            m_pos += 5;
            skipBlanks();
            return {Status::Value, static_cast<std::uint8_t>(high * 16 + low)};
        }
    }
    const auto field = next();
    if (!field) {
        return {m_malformed ? Status::Malformed : Status::End, 0};
    }
    if (field->empty()) {
        return {Status::Empty, 0};
    }
    const auto value = ParseDataValue(*field);
    return value ? DataValueRead{Status::Value, *value} : DataValueRead{Status::OutOfRange, 0};
}

bool HasPxlMarker(std::string_view text) {
    PxlFieldReader reader(text);
    const auto first = reader.next();
    return first && *first == "@";
}

std::optional<std::int16_t> ParseHeaderNumber(std::string_view field) {
    field = trimTrailingBlanks(trimLeadingBlanks(field));
    bool negative = false;
    if (!field.empty() && (field.front() == '-' || field.front() == '+')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    if (field.empty()) {
        return std::nullopt;
    }
    std::int32_t magnitude = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 32768) {
            return std::nullopt; // stop before a long digit string can overflow
        }
    }
    const std::int32_t value = negative ? -magnitude : magnitude;
    if (value > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

std::string_view describe(PxlHeaderError error) {
    switch (error) {
    case PxlHeaderError::NoMarker:
        return "the file does not start with the LCD header marker \"@\"";
    case PxlHeaderError::MissingField:
        return "the file ends inside the LCD header";
    case PxlHeaderError::BadNumber:
        return "an LCD header number is not a whole number from -32768 to 32767";
    }
    return "the LCD header cannot be read";
}

PxlHeaderResult ReadPxlHeader(PxlFieldReader& reader) {
    PxlHeaderResult result;
    const auto marker = reader.next();
    if (!marker || *marker != "@") {
        result.error = PxlHeaderError::NoMarker;
        return result;
    }
    std::array<std::int16_t, 3> numbers{};
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
    unsigned value = 0;
    for (const char c : trimLeadingBlanks(field)) {
        const int digit = hexDigit(c);
        if (digit < 0) {
            break;
        }
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 255) {
            return std::nullopt; // more digits only make it larger: stop before overflow
        }
    }
    return static_cast<std::uint8_t>(value);
}

int ValuesPerRow(int width, int pixelsPerValue) {
    if (pixelsPerValue <= 0) {
        return 0;
    }
    if (width <= 0) {
        return width / pixelsPerValue;
    }
    // ceil(W / B) without forming W + B - 1, which could overflow for a large int W.
    return width / pixelsPerValue + (width % pixelsPerValue != 0 ? 1 : 0);
}

} // namespace vornix::image
