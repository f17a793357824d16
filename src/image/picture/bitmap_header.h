#pragma once

#include <array>
#include <cstdint>

namespace vornix::image {

// The fourteen-byte file header and forty-byte information header of a Windows bitmap,
// field by field under their usual names. On disk every field is little-endian, unpadded.
struct BitmapHeader {
    std::array<char, 2> bfType{};
    std::int32_t bfSize = 0;
    std::int16_t bfReserved1 = 0;
    std::int16_t bfReserved2 = 0;
    std::int32_t bfOffBits = 0;
    std::int32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::int16_t biPlanes = 0;
    std::int16_t biBitCount = 0;
    std::int32_t biCompression = 0;
    std::int32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::int32_t biClrUsed = 0;
    std::int32_t biClrImportant = 0;

    bool operator==(const BitmapHeader&) const = default;
};

inline constexpr int kFileHeaderSize = 14;
inline constexpr int kInfoHeaderSize = 40;
// The sixteen bytes after the two headers: a two-entry colour table plus eight bytes of filler
// in the bitmaps this program writes.
inline constexpr int kColorTableSize = 16;
inline constexpr int kHeadersSize = kFileHeaderSize + kInfoHeaderSize + kColorTableSize; // 70

using ColorTableBytes = std::array<std::uint8_t, kColorTableSize>;

} // namespace vornix::image
