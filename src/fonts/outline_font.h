#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "fonts/font.h"
#include "fonts/font_error.h"

namespace vornix::fonts {

// An outline font file (TrueType, OpenType) at `pixelSize` pixels (1..kMaxPixelSize), drawn by
// the system's renderer in its one-bit mode with hinting (FreeType on Linux, GDI on Windows):
// every glyph is one-bit from the start, never grey levels made black and white. `bytes` are
// the file's contents, read already (Windows takes the family name from them; FreeType reads
// the file itself). `faceIndex` picks a face of a collection (Linux only: Windows draws the
// first).
struct OutlineFontResult {
    std::unique_ptr<Font> font;
    FontError error = FontError::None;
};
OutlineFontResult OpenOutlineFont(const std::string& path, std::span<const std::uint8_t> bytes,
                                  int faceIndex, int pixelSize);

} // namespace vornix::fonts
