#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "fonts/bitmap_font.h"
#include "fonts/font_error.h"

namespace vornix::fonts {

// The largest font file read, and the most bytes a compressed one may unpack to: several times
// the largest bitmap font with every Unicode character.
inline constexpr std::size_t kMaxFontFileBytes = std::size_t{64} << 20;

// A bitmap font read from a file's bytes, or why not.
struct BitmapFontResult {
    std::unique_ptr<BitmapFont> font;
    FontError error = FontError::None;
};

// A BDF font (text, "STARTFONT"). Each glyph's ENCODING is its Unicode code point (fonts in
// ISO 10646 or ISO 8859-1); unencoded glyphs (ENCODING -1) are left out. The lines' extent is
// FONT_ASCENT and FONT_DESCENT, else the font's bounding box; DEFAULT_CHAR is the missing glyph.
BitmapFontResult ReadBdf(std::span<const std::uint8_t> bytes);

// A PCF font ("\1fcp"), as it is or gzip-compressed (.pcf.gz). The metrics come from the
// accelerator table, the missing glyph is the encoding table's default character.
BitmapFontResult ReadPcf(std::span<const std::uint8_t> bytes);

// True when the bytes start like a font ReadBitmapFont reads: BDF text, PCF, or gzip data.
bool LooksLikeBitmapFont(std::span<const std::uint8_t> bytes);

// ReadBdf or ReadPcf, by the file's first bytes (gzip data is unpacked first).
BitmapFontResult ReadBitmapFont(std::span<const std::uint8_t> bytes);

} // namespace vornix::fonts
