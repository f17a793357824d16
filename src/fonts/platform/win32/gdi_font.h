#pragma once

#include <memory>
#include <string>

#include "fonts/font.h"
#include "fonts/font_error.h"
#include "fonts/font_request.h"

namespace vornix::fonts::win32 {

// How strictly GDI's choice of face is held to the family asked for.
enum class FaceCheck {
    SameFamily, // the face GDI chose must carry the family's name, else NoSuchFont
    AnyFace,    // whatever GDI chose (the default font, a generic name)
};

// An outline font drawn one-bit by GDI: made with CreateFontIndirectW at `pixelSize` pixels
// (the em, as FreeType's pixel size), without antialiasing, each glyph's bitmap and metrics
// from GetGlyphOutlineW. `privateFile` (a font file added for this process alone) is given up
// with the font.
struct GdiFontResult {
    std::unique_ptr<Font> font;
    FontError error = FontError::None;
};
GdiFontResult OpenGdiFont(const FontRequest& request, int pixelSize, FaceCheck check,
                          std::wstring privateFile = {});

} // namespace vornix::fonts::win32
