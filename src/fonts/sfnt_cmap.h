#pragma once

#include <cstdint>
#include <span>

namespace vornix::fonts {

// The glyph index of `codePoint` in an outline font's character map (the bytes of its 'cmap'
// table) by its full-Unicode subtable (format 12), the one that reaches beyond U+FFFF. 0 when
// the font has no glyph for it, has no such subtable, or the table is damaged: every offset and
// length is checked against the bytes.
std::uint32_t GlyphIndexBeyondBmp(std::span<const std::uint8_t> cmap, char32_t codePoint);

} // namespace vornix::fonts
