#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "image/picture/bitmap_header.h"

namespace vornix::image {

// The two headers and the sixteen bytes after them, as they stand in the first 70 bytes of a
// bitmap file.
struct BitmapHeaders {
    BitmapHeader header;
    ColorTableBytes colorTable{};
};

// Reads the first 70 bytes field by field, little-endian. Bytes beyond the end of a shorter
// file read as 0, so an empty file gives a header of zeros (whose bfType is not "BM").
BitmapHeaders ReadBitmapHeaders(std::span<const std::uint8_t> file);

// The 70 bytes that ReadBitmapHeaders reads back into the same values.
std::array<std::uint8_t, kHeadersSize> WriteBitmapHeaders(const BitmapHeaders& headers);

} // namespace vornix::image
