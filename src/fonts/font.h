#pragma once

#include <string>

#include "fonts/glyph.h"

namespace vornix::fonts {

// The largest size in pixels of an outline font, and the largest side of any glyph read from
// a file: far above any text a 240 x 128 panel shows, low enough that no glyph is a hazard.
inline constexpr int kMaxPixelSize = 1000;
inline constexpr int kMaxGlyphSide = 1024;

// An open font at one size: its glyphs by code point and the extent of its lines.
class Font {
public:
    virtual ~Font() = default;

    // The glyph of a Unicode code point, or nullptr when the font has none. The glyph stays
    // valid as long as the font.
    virtual const Glyph* glyph(char32_t codePoint) = 0;
    // What the font draws for a code point it lacks: its default glyph.
    virtual const Glyph& missingGlyph() = 0;
    virtual FontMetrics metrics() const = 0;
    // The size the glyphs are drawn at: a bitmap font's own pixel size (its ascent plus descent
    // unless it names one), an outline font's asked-for size.
    virtual int pixelSize() const = 0;
    // True for a bitmap font (BDF, PCF), whose size is fixed.
    virtual bool isBitmap() const = 0;
    // What to call the font in messages: its family name, else its file.
    virtual std::string name() const = 0;
};

} // namespace vornix::fonts
