#pragma once

#include <memory>
#include <string>

#include "fonts/font.h"
#include "fonts/font_error.h"

namespace vornix::fonts {

// The size a text is drawn at when none is asked for: that of the default font, the fixed
// bitmap font of 13 pixels.
inline constexpr int kDefaultPixelSize = 13;

// An open font, or why there is none (`failure.detail` names the file or the family).
struct OpenedFont {
    std::unique_ptr<Font> font;
    FontFailure failure;
};

// A font file: BDF or PCF (also gzip-compressed) read glyph for glyph, anything else handed to
// FreeType as an outline font. `pixelSize` (1..kMaxPixelSize, 0 for kDefaultPixelSize) sets an
// outline font's size; a bitmap font keeps its own (see Font::pixelSize).
OpenedFont OpenFontFile(const std::string& path, int pixelSize);

// The installed font fontconfig finds for a family name, with a style if wanted ("DejaVu Sans",
// "DejaVu Sans:bold", "monospace"). A name that no installed family has is refused
// (NoSuchFont) rather than drawn in some other font, unless it is one of fontconfig's generic
// names (sans-serif, serif, monospace ...).
OpenedFont OpenFontNamed(const std::string& family, int pixelSize);

// The default font, always installed (the fixed bitmap fonts of xfonts-base): of the sizes it
// comes in, the one nearest `pixelSize` (0 for kDefaultPixelSize).
OpenedFont OpenDefaultFont(int pixelSize);

// Gives back what fontconfig keeps for the process (its configuration, loaded on the first
// OpenFontNamed): for a program about to end, so that nothing it allocated is left behind.
void ReleaseFontLookup();

// What a user names: "" for the default font, a path (anything with a "/" or an existing file)
// for OpenFontFile, otherwise a family name for OpenFontNamed.
OpenedFont OpenFont(const std::string& nameOrPath, int pixelSize);

} // namespace vornix::fonts
