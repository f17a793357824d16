#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "fonts/font.h"

namespace vornix::fonts {

// A font whose glyphs are bitmaps, read whole from a BDF or PCF file.
class BitmapFont : public Font {
public:
    // Adds the glyph of `codePoint`; a second glyph for the same code point replaces the first.
    void addGlyph(char32_t codePoint, Glyph glyph);
    // Keeps a glyph that code points can then share (mapCodePoint): a font that gives one
    // bitmap to many code points holds it once. Returns the glyph's number.
    std::size_t storeGlyph(Glyph glyph);
    // Makes `codePoint` draw the stored glyph `number`.
    void mapCodePoint(char32_t codePoint, std::size_t number);
    // The code point whose glyph stands in for missing ones (the font's DEFAULT_CHAR). Without
    // one, or when the font has no glyph for it, a hollow box of the font's height is drawn.
    void setDefaultCodePoint(char32_t codePoint) {
        m_defaultCodePoint = codePoint;
        m_hasDefault = true;
    }
    void setMetrics(FontMetrics metrics) { m_metrics = metrics; }
    void setPixelSize(int size) { m_pixelSize = size; }
    void setName(std::string name) { m_name = std::move(name); }
    // The code points that have a glyph.
    std::size_t glyphCount() const { return m_index.size(); }

    const Glyph* glyph(char32_t codePoint) override;
    const Glyph& missingGlyph() override;
    FontMetrics metrics() const override { return m_metrics; }
    int pixelSize() const override;
    bool isBitmap() const override { return true; }
    std::string name() const override { return m_name; }

private:
    std::unordered_map<char32_t, std::size_t> m_index;
    std::vector<Glyph> m_glyphs;
    FontMetrics m_metrics;
    int m_pixelSize = 0;
    std::string m_name;
    char32_t m_defaultCodePoint = 0;
    bool m_hasDefault = false;
    Glyph m_box; // the missing glyph of a font without a default one, made on first use
    bool m_boxMade = false;
};

} // namespace vornix::fonts
