#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vornix::fonts {

// One glyph as a one-bit bitmap and the place it takes on a line. Coordinates are pixels; the
// pen stands on the baseline, and y grows downwards in the bitmap as in every picture here.
struct Glyph {
    int width = 0;   // bitmap columns
    int height = 0;  // bitmap rows
    int left = 0;    // from the pen to the bitmap's leftmost column (negative: to the left)
    int top = 0;     // from the baseline up to the bitmap's top row (a glyph above it: > 0)
    int advance = 0; // how far the pen moves after the glyph
    // Rows from the top, each (width + 7) / 8 bytes, the leftmost pixel in bit 7, a set bit
    // ink. The bits past the right edge are clear.
    std::vector<std::uint8_t> bits;

    std::size_t stride() const { return (static_cast<std::size_t>(width) + 7) / 8; }
    bool isInk(int x, int y) const {
        return (bits[static_cast<std::size_t>(y) * stride() + static_cast<std::size_t>(x >> 3)] >>
                (7 - (x & 7))) &
               1U;
    }
};

// The vertical extent of a font's lines: a line of text is ascent + descent pixels high, its
// baseline ascent pixels below its top.
struct FontMetrics {
    int ascent = 0;
    int descent = 0;
};

} // namespace vornix::fonts
