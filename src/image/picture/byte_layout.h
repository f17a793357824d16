#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/picture/packed_picture.h"

namespace vornix::image {

// How the pixels of a one-bit picture W x H land in the bytes that firmware keeps. "Ink" is
// the pixel a set bit stands for; every layout pads with clear bits.
enum class ByteLayout {
    RowsHighBitFirst, // each row ceil(W/8) bytes, x = 8k in bit 7 of byte k: the panel's own
    RowsLowBitFirst,  // each row ceil(W/8) bytes, x = 8k in bit 0 of byte k (X11 bitmaps)
    PagesLowBitTop,   // each page of 8 rows W bytes, byte x holds y = 8p..8p+7, y = 8p in bit 0
    PagesHighBitTop,  // the same with y = 8p in bit 7
    Columns,          // each column ceil(H/8) bytes, byte j holds y = 8j..8j+7, y = 8j in bit 7
};

// What a set bit stands for.
enum class InkBit {
    Dark,  // set = dark, the panel's own
    Light, // set = light
};

struct LayoutChoice {
    ByteLayout layout = ByteLayout::RowsHighBitFirst;
    InkBit ink = InkBit::Dark;
};

// "rows-msb", "rows-lsb", "pages-lsb", "pages-msb", "columns"; nullopt for any other name.
std::optional<ByteLayout> ByteLayoutFromName(std::string_view name);
std::string_view ByteLayoutName(ByteLayout layout);

bool IsRowLayout(ByteLayout layout);
// True when the layout groups rows in eights and height is not a multiple of 8, so the last
// page or the last byte of every column carries padding rows.
bool PadsRows(ByteLayout layout, int height);

// The number of bytes of a W x H picture in the layout.
std::size_t LayoutSize(ByteLayout layout, int width, int height);

// Where pixel (x, y) of a W x H picture lands: the byte's index in the layout and the bit
// (0 the lowest).
struct BitPlace {
    std::size_t byte = 0;
    int bit = 0;
};
BitPlace PlaceOfPixel(ByteLayout layout, int width, int height, int x, int y);

// The pixels that byte `index` holds, in the order of its bits from 7 down to 0; pixels of
// padding bits (past the right or bottom edge) are left out. Empty for an index past the end.
struct PixelOfBit {
    int x = 0;
    int y = 0;
    int bit = 0;
};
std::vector<PixelOfBit> PixelsOfByte(ByteLayout layout, int width, int height,
                                     std::size_t index);

// The picture's bytes in the layout.
std::vector<std::uint8_t> PackLayout(const PackedPicture& picture, LayoutChoice choice);

// The picture that `bytes` hold in the layout; nullopt when their count is not
// LayoutSize(layout, width, height) or a side is below 1. Padding bits are ignored.
std::optional<PackedPicture> UnpackLayout(std::span<const std::uint8_t> bytes, int width,
                                          int height, LayoutChoice choice);

} // namespace vornix::image
