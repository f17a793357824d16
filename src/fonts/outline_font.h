#pragma once

#include <memory>
#include <string>

#include "fonts/font.h"
#include "fonts/font_error.h"

namespace vornix::fonts {

// An outline font (TrueType, OpenType) at `pixelSize` pixels (1..kMaxPixelSize), drawn by
// FreeType in its monochrome mode with hinting: every glyph is one-bit from the start, never
// grey levels made black and white. `faceIndex` picks a face of a collection.
struct OutlineFontResult {
    std::unique_ptr<Font> font;
    FontError error = FontError::None;
};
OutlineFontResult OpenOutlineFont(const std::string& path, int faceIndex, int pixelSize);

} // namespace vornix::fonts
