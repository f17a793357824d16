#include "image/picture/prepare_bitmap.h"

#include <algorithm>

#include "image/picture/bitmap_header_io.h"
#include "image/picture/encode_bmp.h"

namespace vornix::image {

namespace {

std::size_t rowStride(int width) {
    return (static_cast<std::size_t>(width) + 31) / 32 * 4;
}

BitmapHeader headerFor(const MonoImage& picture, std::int32_t imageSize) {
    BitmapHeader h;
    h.bfType = {'B', 'M'};
    h.bfSize = kHeadersSize + imageSize;
    h.bfOffBits = kHeadersSize;
    h.biSize = kInfoHeaderSize;
    h.biWidth = picture.width;
    h.biHeight = picture.height;
    h.biPlanes = 1;
    h.biBitCount = 1;
    h.biSizeImage = imageSize;
    return h;
}

} // namespace

std::vector<std::uint8_t> MonoBitmapBytes(const MonoImage& picture) {
    const int width = std::max(picture.width, 0);
    const int height = std::max(picture.height, 0);
    const std::size_t stride = rowStride(width);
    const auto imageSize = static_cast<std::int32_t>(stride * static_cast<std::size_t>(height));
    const auto header = WriteBitmapHeaders({headerFor(picture, imageSize), kEncodedColorTable});

    std::vector<std::uint8_t> file(header.size() + static_cast<std::size_t>(imageSize), 0);
    std::copy(header.begin(), header.end(), file.begin());
    std::uint8_t* row = file.data() + kHeadersSize;
    for (int y = height - 1; y >= 0; --y, row += stride) {
        for (int x = 0; x < width; ++x) {
            if (!picture.isDark(x, y)) { // colour 1, white
                row[x / 8] |= static_cast<std::uint8_t>(0x80U >> (x % 8));
            }
        }
    }
    return file;
}

DecodedPxl MonoPxlText(const MonoImage& picture) {
    return ConvertBitmapToPxl(MonoBitmapBytes(picture));
}

} // namespace vornix::image
