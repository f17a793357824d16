#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "image/picture/byte_layout.h"

namespace vornix::test {

// The byte and bit that hold pixel (x, y), straight from each layout's definition: a second
// way of placing pixels, one at a time, to check the block-wise packer and the formats
// against.
struct BitPlace {
    std::size_t byte;
    int bit;
};

inline BitPlace PlaceOf(image::ByteLayout layout, int width, int height, int x, int y) {
    using image::ByteLayout;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    const std::size_t columnBytes = (static_cast<std::size_t>(height) + 7) / 8;
    switch (layout) {
    case ByteLayout::RowsHighBitFirst:
        return {y * rowBytes + x / 8, 7 - x % 8};
    case ByteLayout::RowsLowBitFirst:
        return {y * rowBytes + x / 8, x % 8};
    case ByteLayout::PagesLowBitTop:
        return {static_cast<std::size_t>(y / 8) * width + x, y % 8};
    case ByteLayout::PagesHighBitTop:
        return {static_cast<std::size_t>(y / 8) * width + x, 7 - y % 8};
    case ByteLayout::Columns:
        return {x * columnBytes + y / 8, 7 - y % 8};
    }
    return {0, 0};
}

// The picture's bytes in the layout, placed pixel by pixel.
inline std::vector<std::uint8_t> ReferenceBytes(const image::PackedPicture& picture,
                                                image::LayoutChoice choice) {
    const int width = picture.width();
    const int height = picture.height();
    std::vector<std::uint8_t> bytes(image::LayoutSize(choice.layout, width, height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (picture.isDark(x, y) == (choice.ink == image::InkBit::Dark)) {
                const BitPlace at = PlaceOf(choice.layout, width, height, x, y);
                bytes[at.byte] |= static_cast<std::uint8_t>(1U << at.bit);
            }
        }
    }
    return bytes;
}

inline image::PackedPicture RandomPicture(int width, int height, std::mt19937& random) {
    image::PackedPicture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setDark(x, y, random() & 1U);
        }
    }
    return picture;
}

} // namespace vornix::test
