#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "fonts/font.h"
#include "fonts/font_error.h"
#include "image/photo/prepare_geometry.h"
#include "image/picture/packed_picture.h"

namespace vornix::fonts {

enum class TextAlign { Left, Centre, Right };

// A text drawn one-bit: every pixel is a glyph's ink or light, nothing in between.
struct RenderedText {
    image::PackedPicture picture;
    // The code points the font has no glyph for, each once, in the order they first appear;
    // each was drawn as the font's missing glyph.
    std::vector<char32_t> missing;
    int baseline = 0;   // the first line's baseline, in rows from the picture's top
    int lineHeight = 0; // rows from one line's baseline to the next (ascent + descent)
    bool cut = false;   // part of the text's ink fell outside the picture asked for
    FontError error = FontError::None; // NotUtf8 or TextTooLarge; the picture is then empty
};

// Draws UTF-8 `text` in `font`. Lines end at "\n" (a "\r" before it is dropped) and are stacked
// at the font's line height. Each glyph's bitmap lands with its left edge at the pen plus its
// bearing and its top row `top` rows above the baseline; the pen then moves by the advance.
//
// The text's own box holds every line's box (from the pen's start to its end, a line high) and
// all ink outside them. Without `canvas` the picture is that box, each line aligned within its
// width. With `canvas` the picture is canvas.width x canvas.height: the box's top at row 0,
// each line aligned within the canvas width; ink outside the canvas is cut (`cut` says so).
// A box wider or taller than kMaxPreparedSide, or of more than kMaxPicturePixels pixels, is
// refused (TextTooLarge); so is a canvas of that size. An empty text gives an empty picture.
RenderedText RenderText(Font& font, std::string_view text, TextAlign align,
                        std::optional<image::PictureSize> canvas = std::nullopt);

// Darkens in `target` every dark pixel of `text` placed with its top-left corner at (x, y),
// leaving the other pixels as they are; what falls outside `target` is left out.
void StampText(const image::PackedPicture& text, image::PackedPicture& target, int x, int y);

} // namespace vornix::fonts
