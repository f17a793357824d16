// Feeds arbitrary bytes to the bitmap font readers (BDF, PCF, gzip-packed PCF) and draws a text
// in every font that reads. Besides crashes it checks that a font that reads has a sound line
// height and glyphs whose bitmaps hold exactly their rows, and that the drawn picture is as
// large as the text's box promises and no larger than the limits.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fonts/bitmap_font_reader.h"
#include "fonts/text_render.h"

namespace {

using namespace vornix::fonts;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkGlyph(const Glyph& glyph) {
    require(glyph.width >= 0 && glyph.height >= 0 && glyph.width <= kMaxGlyphSide &&
            glyph.height <= kMaxGlyphSide);
    require(glyph.bits.size() == glyph.stride() * static_cast<std::size_t>(glyph.height));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    for (const BitmapFontResult& read : {ReadBdf(bytes), ReadPcf(bytes), ReadBitmapFont(bytes)}) {
        require((read.font == nullptr) == (read.error != FontError::None));
        if (read.font == nullptr) {
            continue;
        }
        const FontMetrics metrics = read.font->metrics();
        require(metrics.ascent + metrics.descent >= 1 &&
                metrics.ascent + metrics.descent <= kMaxGlyphSide);
        for (const char32_t c : {U' ', U'A', U'!', U'g', U'\u00e9'}) {
            if (const Glyph* glyph = read.font->glyph(c)) {
                checkGlyph(*glyph);
            }
        }
        checkGlyph(read.font->missingGlyph());
        const RenderedText drawn =
            RenderText(*read.font, "Ag!\n\xc3\xa9 \xe4\xb8\xad", TextAlign::Centre);
        require(drawn.error == FontError::None || drawn.error == FontError::TextTooLarge);
        if (drawn.error == FontError::None) {
            require(drawn.picture.height() == 0 || drawn.picture.height() >= drawn.lineHeight * 2);
        }
    }
    return 0;
}
