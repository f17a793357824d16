// The prepared picture as a bitmap file and as PXL text: hand-computed bytes, and the way back
// through the LCD to bitmap conversion.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "image/picture/encode_bmp.h"
#include "image/picture/prepare_bitmap.h"
#include "image/photo/prepare_decode.h"
#include "image/picture/test_pattern.h"

namespace vornix::image {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 10 x 2, dark at (0, 0), (9, 0) and (1, 1).
MonoImage smallPicture() {
    MonoImage p(10, 2);
    p.setDark(0, 0);
    p.setDark(9, 0);
    p.setDark(1, 1);
    return p;
}

TEST(MonoBitmapTest, HandComputedFile) {
    const Bytes file = MonoBitmapBytes(smallPicture());
    ASSERT_EQ(file.size(), 78U); // 70 header bytes, two rows of 4
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 14),
              (Bytes{'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 70, 0, 0, 0}));
    EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 30),
              (Bytes{10, 0, 0, 0, 2, 0, 0, 0, 1, 0, 1, 0})); // W, H, planes, 1 bit
    EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 62),
              (Bytes{0, 0, 0, 0, 255, 255, 255, 0})); // colour 0 black, colour 1 white
    // Bottom row first; light pixels are 1 bits; padding bits and bytes are 0.
    EXPECT_EQ(Bytes(file.begin() + 70, file.end()), (Bytes{0xBF, 0xC0, 0, 0, 0x7F, 0x80, 0, 0}));
}

TEST(MonoBitmapTest, PxlTextSetsTheDarkBits) {
    const DecodedPxl pxl = MonoPxlText(smallPicture());
    ASSERT_TRUE(pxl.result.converted());
    // The padding bits of each row's last value come out set.
    EXPECT_EQ(pxl.text, "@,10,2,8\r\n080h,07Fh\r\n040h,03Fh\r\n");
}

// Pattern -> PXL -> bitmap (LCD to bitmap conversion) -> grey levels: every pixel survives.
TEST(MonoBitmapTest, PxlReadsBackToTheSamePixels) {
    for (const auto& [width, height] : {std::pair{240, 128}, std::pair{13, 5}, std::pair{1, 1}}) {
        const MonoImage pattern = MakeTestPattern(TestPattern::Border, width, height);
        const DecodedPxl pxl = MonoPxlText(pattern);
        ASSERT_TRUE(pxl.result.converted());
        const EncodedBmp bitmap = ConvertPxlToBitmap(pxl.text);
        ASSERT_TRUE(bitmap.result.converted());
        const PictureReadResult back = ReadGreyPicture(bitmap.bytes);
        ASSERT_TRUE(back.ok());
        ASSERT_EQ(back.image.width, width);
        ASSERT_EQ(back.image.height, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(back.image.at(x, y), pattern.isDark(x, y) ? 0 : 255) << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace vornix::image
