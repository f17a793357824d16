#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vornix::image {

// A picture of grey levels, rows from the top, each row left to right: 0 is black, 255 white.
// `pixels` holds exactly width * height levels.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// A picture as the LCD shows it: every pixel dark or light, rows from the top. `dark` holds
// width * height flags, 1 for a dark (set) pixel and 0 for a light one.
struct MonoImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> dark;

    MonoImage() = default;
    // All pixels light.
    MonoImage(int w, int h)
        : width(w), height(h), dark(static_cast<std::size_t>(w > 0 && h > 0 ? w : 0) *
                                    static_cast<std::size_t>(w > 0 && h > 0 ? h : 0)) {}

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool isDark(int x, int y) const { return dark[index(x, y)] != 0; }
    // Sets one pixel dark; points outside the picture are ignored, so shapes may be drawn
    // partly off the edge of a small picture.
    void setDark(int x, int y) {
        if (contains(x, y)) {
            dark[index(x, y)] = 1;
        }
    }

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    }
};

// The largest side of a prepared picture: a PXL picture up to this width still reads back
// into a bitmap (its width plus 7 must stay within 16 bits).
inline constexpr int kMaxPreparedSide = 32760;
// The most pixels of a picture read or made here (64 Mi): a bound on every allocation.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 26;

} // namespace vornix::image
