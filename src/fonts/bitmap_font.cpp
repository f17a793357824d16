#include "fonts/bitmap_font.h"

#include <algorithm>
#include <utility>

namespace vornix::fonts {

void BitmapFont::addGlyph(char32_t codePoint, Glyph glyph) {
    mapCodePoint(codePoint, storeGlyph(std::move(glyph)));
}

std::size_t BitmapFont::storeGlyph(Glyph glyph) {
    m_glyphs.push_back(std::move(glyph));
    return m_glyphs.size() - 1;
}

void BitmapFont::mapCodePoint(char32_t codePoint, std::size_t number) {
    m_index[codePoint] = number;
}

const Glyph* BitmapFont::glyph(char32_t codePoint) {
    const auto it = m_index.find(codePoint);
    return it == m_index.end() ? nullptr : &m_glyphs[it->second];
}

const Glyph& BitmapFont::missingGlyph() {
    if (m_hasDefault) {
        if (const Glyph* fallback = glyph(m_defaultCodePoint)) {
            return *fallback;
        }
    }
    if (!m_boxMade) {
        // A frame from the baseline's descent to the ascent, half the line height wide: clearly
        // a stand-in, and within the line like any glyph.
        const int height = std::clamp(m_metrics.ascent + m_metrics.descent, 1, kMaxGlyphSide);
        const int width = std::max(1, height / 2);
        m_box.width = width;
        m_box.height = height;
        m_box.left = 0;
        m_box.top = m_metrics.ascent;
        m_box.advance = width + 1;
        m_box.bits.assign(m_box.stride() * static_cast<std::size_t>(height), 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (y == 0 || y == height - 1 || x == 0 || x == width - 1) {
                    m_box.bits[static_cast<std::size_t>(y) * m_box.stride() +
                               static_cast<std::size_t>(x >> 3)] |=
                        static_cast<std::uint8_t>(0x80U >> (x & 7));
                }
            }
        }
        m_boxMade = true;
    }
    return m_box;
}

int BitmapFont::pixelSize() const {
    return m_pixelSize > 0 ? m_pixelSize : m_metrics.ascent + m_metrics.descent;
}

} // namespace vornix::fonts
