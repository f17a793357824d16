#pragma once

#include <algorithm>
#include <cstdlib>

namespace vornix::image::edit {

// A pixel of a picture: x to the right, y down, (0, 0) the top-left pixel.
struct PixelPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// A rectangle of pixels: the columns x .. x + width - 1 and rows y .. y + height - 1. A side
// below 1 makes it empty.
struct PixelArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool empty() const { return width < 1 || height < 1; }
    int right() const { return x + width; }   // one past the last column
    int bottom() const { return y + height; } // one past the last row
    bool contains(PixelPoint p) const {
        return !empty() && p.x >= x && p.y >= y && p.x < right() && p.y < bottom();
    }

    // The rectangle whose opposite corner pixels are a and b, both inside it.
    static PixelArea Spanning(PixelPoint a, PixelPoint b) {
        return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x) + 1,
                std::abs(a.y - b.y) + 1};
    }

    // The smallest rectangle holding both; an empty one adds nothing.
    PixelArea united(const PixelArea& o) const {
        if (o.empty()) {
            return *this;
        }
        if (empty()) {
            return o;
        }
        const int left = std::min(x, o.x);
        const int top = std::min(y, o.y);
        return {left, top, std::max(right(), o.right()) - left,
                std::max(bottom(), o.bottom()) - top};
    }

    // The pixels in both; empty when they do not overlap.
    PixelArea intersected(const PixelArea& o) const {
        const int left = std::max(x, o.x);
        const int top = std::max(y, o.y);
        const int w = std::min(right(), o.right()) - left;
        const int h = std::min(bottom(), o.bottom()) - top;
        if (w < 1 || h < 1) {
            return {};
        }
        return {left, top, w, h};
    }

    friend bool operator==(const PixelArea&, const PixelArea&) = default;
};

} // namespace vornix::image::edit
