#pragma once

#include <optional>
#include <string_view>

#include "image/photo/prepare_image.h"
#include "image/photo/prepare_options.h"

namespace vornix::image {

// Pictures for checking a module and its wiring: what is drawn where shows whether the
// picture arrives whole, the right way up, and with the bits of each byte in the right order.
enum class TestPattern {
    Border,  // a one-pixel frame; a different mark in each corner (top left: a filled square,
             // top right: a filled triangle, bottom left: a hollow square, bottom right: an X);
             // an arrow from the centre pointing to the top-left corner
    Checker, // 8 x 8 squares, the top-left one dark: bytes alternate FF and 00
    Grid,    // one-pixel lines in every eighth column and row, starting with the first
    Ruler,   // ticks along the top and left edges: every 2 pixels 2 long, every 10 pixels 5
             // long, every 50 pixels 9 long, counted from 0 at the top-left corner
    Bits,    // every 8-pixel column shows its own number in binary, in every row: the bytes
             // of a row count 0, 1, 2, ...
};

// "border", "checker", "grid", "ruler", "bits"; nullopt for any other name.
std::optional<TestPattern> TestPatternFromName(std::string_view name);
std::string_view TestPatternName(TestPattern pattern);

// The pattern at width x height pixels (the LCD's size unless given). Shapes that do not fit a
// small picture are cut at its edges. Sides below 1 give an empty picture.
MonoImage MakeTestPattern(TestPattern pattern, int width = kLcdWidth, int height = kLcdHeight);

} // namespace vornix::image
