#pragma once

#include <memory>
#include <string>

#include "fonts/font.h"
#include "fonts/font_error.h"

namespace vornix::fonts {

// The size a text is drawn at when none is asked for: that of the default font (on Linux the
// fixed bitmap font of 13 pixels).
inline constexpr int kDefaultPixelSize = 13;

// An open font, or why there is none (`failure.detail` names the file or the family).
struct OpenedFont {
    std::unique_ptr<Font> font;
    FontFailure failure;
};

// No font, and why (`detail` names the file or the family).
OpenedFont FontFailed(FontError error, std::string detail);

// A font file: BDF or PCF (also gzip-compressed) read glyph for glyph on every system, anything
// else handed to the system's outline renderer (FreeType on Linux, GDI on Windows). `pixelSize`
// (1..kMaxPixelSize, 0 for kDefaultPixelSize) sets an outline font's size; a bitmap font keeps its
// own (see Font::pixelSize).
OpenedFont OpenFontFile(const std::string& path, int pixelSize);

// The installed font found for a family name, with a style if wanted ("DejaVu Sans",
// "DejaVu Sans:bold", "monospace"): through fontconfig on Linux, through GDI on Windows. A name
// that no installed family has is refused (NoSuchFont) rather than drawn in some other font,
// unless it is one of the generic names (sans-serif, serif, monospace ...).
OpenedFont OpenFontNamed(const std::string& family, int pixelSize);

// The default font, always installed. On Linux the fixed bitmap fonts of xfonts-base: of the
// sizes they come in, the one nearest `pixelSize` (0 for kDefaultPixelSize). On Windows the
// system's fixed-pitch outline font (Courier New, else the one GDI chooses) at `pixelSize`.
OpenedFont OpenDefaultFont(int pixelSize);

// Gives back what the font lookup keeps for the process (fontconfig's configuration, loaded on
// the first OpenFontNamed): for a program about to end, so that nothing it allocated is left
// behind. Nothing to do on Windows.
void ReleaseFontLookup();

// What a user names: "" for the default font, a path (anything with a folder separator or an
// existing file) for OpenFontFile, otherwise a family name for OpenFontNamed.
OpenedFont OpenFont(const std::string& nameOrPath, int pixelSize);

} // namespace vornix::fonts
