// BDF: a text format, one keyword a line. Every number is range-checked before it is used and
// every glyph is bounded by kMaxGlyphSide, so a hostile file can neither overflow a size nor
// make the reader allocate more than its own length justifies (two hex digits per bitmap byte).
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/bitmap_font_reader.h"

namespace vornix::fonts {

namespace {

constexpr long long kMaxOffset = 4 * kMaxGlyphSide;
constexpr long long kMaxCodePoint = 0x10FFFF;

class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    // The next line without its end, or nullopt at the end of the text.
    std::optional<std::string_view> next() {
        if (m_pos >= m_text.size()) {
            return std::nullopt;
        }
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) {
            end = m_text.size();
        }
        std::string_view line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return line;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > start) {
            result.push_back(line.substr(start, i - start));
        }
    }
    return result;
}

std::optional<long long> number(std::string_view word, long long low, long long high) {
    long long value = 0;
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// The text after a property's name, without the quotes of a string value.
std::string propertyText(std::string_view line, std::string_view keyword) {
    std::string_view rest = line.substr(keyword.size());
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
        rest.remove_prefix(1);
    }
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
        rest = rest.substr(1, rest.size() - 2);
    }
    return std::string(rest);
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

struct Box {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};

// "BBX w h xoff yoff" and "FONTBOUNDINGBOX ...": sides 0..kMaxGlyphSide, offsets bounded.
std::optional<Box> readBox(const std::vector<std::string_view>& w) {
    if (w.size() < 5) {
        return std::nullopt;
    }
    const auto width = number(w[1], 0, kMaxGlyphSide);
    const auto height = number(w[2], 0, kMaxGlyphSide);
    const auto x = number(w[3], -kMaxOffset, kMaxOffset);
    const auto y = number(w[4], -kMaxOffset, kMaxOffset);
    if (!width || !height || !x || !y) {
        return std::nullopt;
    }
    return Box{static_cast<int>(*width), static_cast<int>(*height), static_cast<int>(*x),
               static_cast<int>(*y)};
}

class BdfParser {
public:
    explicit BdfParser(std::string_view text) : m_lines(text) {}

    BitmapFontResult parse() {
        auto first = m_lines.next();
        if (!first || !first->starts_with("STARTFONT")) {
            return fail(FontError::BadFont);
        }
        m_font = std::make_unique<BitmapFont>();
        if (const FontError error = header(); error != FontError::None) {
            return fail(error);
        }
        if (const FontError error = glyphs(); error != FontError::None) {
            return fail(error);
        }
        if (const FontError error = finish(); error != FontError::None) {
            return fail(error);
        }
        return {std::move(m_font), FontError::None};
    }

private:
    static BitmapFontResult fail(FontError error) { return {nullptr, error}; }

    // Everything up to CHARS: the bounding box, the properties, the default advance.
    FontError header() {
        while (auto line = m_lines.next()) {
            const auto w = words(*line);
            if (w.empty()) {
                continue;
            }
            if (w[0] == "CHARS") {
                return w.size() >= 2 && number(w[1], 0, kMaxCodePoint + 1)
                           ? FontError::None
                           : FontError::TooManyGlyphs;
            }
            if (const FontError error = headerLine(*line, w); error != FontError::None) {
                return error;
            }
        }
        return FontError::Truncated;
    }

    FontError headerLine(std::string_view line, const std::vector<std::string_view>& w) {
        if (w[0] == "FONTBOUNDINGBOX") {
            const auto box = readBox(w);
            if (!box) {
                return FontError::AbsurdGlyph;
            }
            m_fontBox = *box;
        } else if (w[0] == "DWIDTH") {
            const auto advance =
                w.size() >= 2 ? number(w[1], -kMaxOffset, kMaxOffset) : std::nullopt;
            if (!advance) {
                return FontError::AbsurdGlyph;
            }
            m_defaultAdvance = static_cast<int>(*advance);
        } else if (w[0] == "FONT_ASCENT" || w[0] == "FONT_DESCENT" || w[0] == "PIXEL_SIZE") {
            const auto value = w.size() >= 2 ? number(w[1], -kMaxOffset, kMaxOffset) : std::nullopt;
            if (!value) {
                return FontError::AbsurdGlyph;
            }
            (w[0] == "FONT_ASCENT"    ? m_ascent
             : w[0] == "FONT_DESCENT" ? m_descent
                                      : m_pixelSize) = static_cast<int>(*value);
        } else if (w[0] == "DEFAULT_CHAR") {
            const auto value = w.size() >= 2 ? number(w[1], 0, kMaxCodePoint) : std::nullopt;
            if (value) {
                m_font->setDefaultCodePoint(static_cast<char32_t>(*value));
            }
        } else if (w[0] == "FAMILY_NAME") {
            m_family = propertyText(line, w[0]);
        } else if (w[0] == "FONT" && m_family.empty()) {
            m_family = propertyText(line, w[0]);
        }
        return FontError::None;
    }

    FontError glyphs() {
        while (auto line = m_lines.next()) {
            const auto w = words(*line);
            if (w.empty()) {
                continue;
            }
            if (w[0] == "ENDFONT") {
                return FontError::None;
            }
            if (w[0] == "STARTCHAR") {
                if (const FontError error = glyph(); error != FontError::None) {
                    return error;
                }
            }
        }
        return FontError::Truncated;
    }

    // One glyph from after STARTCHAR to ENDCHAR.
    FontError glyph() {
        long long encoding = -1;
        std::optional<Box> box;
        std::optional<int> advance;
        while (auto line = m_lines.next()) {
            const auto w = words(*line);
            if (w.empty()) {
                continue;
            }
            if (w[0] == "ENCODING") {
                const auto value = w.size() >= 2 ? number(w[1], -1, kMaxCodePoint) : std::nullopt;
                if (!value) {
                    return FontError::BadFont;
                }
                encoding = *value;
            } else if (w[0] == "DWIDTH") {
                const auto value =
                    w.size() >= 2 ? number(w[1], -kMaxOffset, kMaxOffset) : std::nullopt;
                if (!value) {
                    return FontError::AbsurdGlyph;
                }
                advance = static_cast<int>(*value);
            } else if (w[0] == "BBX") {
                box = readBox(w);
                if (!box) {
                    return FontError::AbsurdGlyph;
                }
            } else if (w[0] == "BITMAP") {
                const Box shape = box.value_or(m_fontBox);
                Glyph glyph;
                glyph.width = shape.width;
                glyph.height = shape.height;
                glyph.left = shape.x;
                glyph.top = shape.y + shape.height;
                glyph.advance = advance.value_or(m_defaultAdvance.value_or(shape.width));
                if (const FontError error = rows(glyph); error != FontError::None) {
                    return error;
                }
                if (encoding >= 0) {
                    m_font->addGlyph(static_cast<char32_t>(encoding), std::move(glyph));
                }
                return FontError::None;
            } else if (w[0] == "ENDCHAR" || w[0] == "STARTCHAR" || w[0] == "ENDFONT") {
                return FontError::BadFont; // a glyph without a BITMAP
            }
        }
        return FontError::Truncated;
    }

    // The glyph's rows after BITMAP, then ENDCHAR. A row holds at least the glyph's bytes in
    // hex; further digits (padding to a wider box) are ignored.
    FontError rows(Glyph& glyph) {
        const std::size_t stride = glyph.stride();
        glyph.bits.assign(stride * static_cast<std::size_t>(glyph.height), 0);
        const int spare = static_cast<int>(stride * 8) - glyph.width;
        const auto edgeMask = static_cast<std::uint8_t>(0xFFU << spare);
        for (int y = 0; y < glyph.height; ++y) {
            const auto line = m_lines.next();
            if (!line) {
                return FontError::Truncated;
            }
            const auto w = words(*line);
            if (w.empty() || w[0].size() < 2 * stride) {
                return FontError::BadFont; // a short row, or ENDCHAR before the last row
            }
            for (std::size_t k = 0; k < stride; ++k) {
                const int high = hexDigit(w[0][2 * k]);
                const int low = hexDigit(w[0][2 * k + 1]);
                if (high < 0 || low < 0) {
                    return FontError::BadFont;
                }
                glyph.bits[static_cast<std::size_t>(y) * stride + k] =
                    static_cast<std::uint8_t>(high * 16 + low);
            }
            if (stride > 0) {
                glyph.bits[static_cast<std::size_t>(y) * stride + stride - 1] &= edgeMask;
            }
        }
        while (auto line = m_lines.next()) {
            const auto w = words(*line);
            if (!w.empty()) {
                return w[0] == "ENDCHAR" ? FontError::None : FontError::BadFont;
            }
        }
        return FontError::Truncated;
    }

    // The lines' extent; a font whose lines would have no height, or an impossible one, is
    // refused.
    FontError finish() {
        const int ascent = m_ascent.value_or(m_fontBox.height + m_fontBox.y);
        const int descent = m_descent.value_or(-m_fontBox.y);
        if (ascent + descent < 1 || ascent + descent > kMaxGlyphSide ||
            m_pixelSize.value_or(1) < 0) {
            return FontError::AbsurdGlyph;
        }
        m_font->setMetrics({ascent, descent});
        m_font->setPixelSize(m_pixelSize.value_or(0));
        m_font->setName(m_family);
        return FontError::None;
    }

    LineReader m_lines;
    std::unique_ptr<BitmapFont> m_font;
    Box m_fontBox;
    std::optional<int> m_defaultAdvance;
    std::optional<int> m_ascent;
    std::optional<int> m_descent;
    std::optional<int> m_pixelSize;
    std::string m_family;
};

} // namespace

BitmapFontResult ReadBdf(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxFontFileBytes) {
        return {nullptr, FontError::FileTooLarge};
    }
    return BdfParser({reinterpret_cast<const char*>(bytes.data()), bytes.size()}).parse();
}

} // namespace vornix::fonts
