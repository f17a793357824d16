#include "image/picture/pxl_format.h"

#include <array>

#include "image/text/number_field.h"

namespace vornix::image {

namespace {

constexpr std::size_t kEntrySize = 5; // "0A5h,"

constexpr std::array<char, 256 * kEntrySize> kValueTable = [] {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::array<char, 256 * kEntrySize> table{};
    for (std::size_t v = 0; v < 256; ++v) {
        char* entry = table.data() + v * kEntrySize;
        entry[0] = '0';
        entry[1] = kHex[v >> 4];
        entry[2] = kHex[v & 0xF];
        entry[3] = 'h';
        entry[4] = ',';
    }
    return table;
}();

constexpr std::string_view kCrLf = "\r\n";

} // namespace

std::string_view FormatDataValue(std::uint8_t value) {
    return {kValueTable.data() + value * kEntrySize, kEntrySize - 1};
}

std::string_view FormatDataValueWithComma(std::uint8_t value) {
    return {kValueTable.data() + value * kEntrySize, kEntrySize};
}

std::string PxlHeaderLine(std::int64_t width, std::int64_t height) {
    return "@," + PlainNumber(width) + "," + PlainNumber(height) + ",8\r\n";
}

std::string NormaliseLineEnds(std::string_view text) {
    StringSink sink;
    LineEndNormaliser normaliser;
    normaliser.feed(text, sink);
    normaliser.finish(sink);
    return sink.take();
}

// Each piece is rewritten into one buffer and handed over in a single write, so that a file
// of many short lines does not cost one write per line.
bool LineEndNormaliser::feed(std::string_view piece, ByteSink& out) {
    std::string copy;
    copy.reserve(piece.size() + piece.size() / 4 + 2);
    for (const char c : piece) {
        if (c != '\r' && c != '\n') {
            copy.push_back(c);
            m_lastWasCr = false;
            m_lineHasBytes = true;
            continue;
        }
        const bool secondHalfOfCrLf = c == '\n' && m_lastWasCr;
        m_lastWasCr = c == '\r';
        if (!secondHalfOfCrLf) {
            copy.append(kCrLf);
            m_lineHasBytes = false;
        }
    }
    return copy.empty() || out.write(copy);
}

bool LineEndNormaliser::finish(ByteSink& out) {
    if (!m_lineHasBytes) {
        return true;
    }
    m_lineHasBytes = false;
    return out.write(kCrLf);
}

} // namespace vornix::image
