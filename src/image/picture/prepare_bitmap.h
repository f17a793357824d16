#pragma once

#include <cstdint>
#include <vector>

#include "image/picture/decode_bmp.h"
#include "image/photo/prepare_image.h"

namespace vornix::image {

// The picture as a 1-bit bitmap file laid out like the working bitmap made from a PXL file:
// the 70-byte header (pixel data at offset 70, colour 0 black and colour 1 white), then the
// rows bottom row first, a dark pixel as bit 0, each row filled to a multiple of 4 bytes with
// zero bits. Converting it to PXL text therefore makes every dark pixel a set bit. The
// picture's sides must lie within 0..kMaxPreparedSide.
std::vector<std::uint8_t> MonoBitmapBytes(const MonoImage& picture);

// The picture's PXL text, made by converting MonoBitmapBytes with ConvertBitmapToPxl, so that this
// and saving the bitmap then converting it give the same text. Bits after the last pixel of a row
// come out set, as for every bitmap whose padding bits are zero.
DecodedPxl MonoPxlText(const MonoImage& picture);

} // namespace vornix::image
