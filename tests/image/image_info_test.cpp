#include "image/picture/image_info.h"

#include <gtest/gtest.h>

#include "image/picture/decode_bmp.h"
#include "image/picture/encode_bmp.h"
#include "image_test_support.h"

namespace vornix::image {
namespace {

TEST(ImageInfoText, BitmapWrittenForA128By64Picture) {
    std::string pxl = "@,128,64,8\r\n";
    for (int i = 0; i < 16 * 64; ++i) {
        pxl += "000h,";
    }
    EXPECT_EQ(ImageInfoText(ConvertPxlToBitmap(pxl).result.header),
              "Image Type:    BM\r\n"
              "FileSize:       1094 Bytes\r\n"
              "ImageOffset:    70 Bytes\r\n"
              "Info Hdr Size:  40 Bytes\r\n"
              "-----------------------------------\r\n"
              "Image Width:    128 Pixels\r\n"
              "Image Height:   64 Pixels\r\n"
              "Planes:         1\r\n"
              "Bits/Pixel:     1\r\n"
              "Compression:    0\r\n"
              "Image Size:     1024 Bytes\r\n"
              "-----------------------------------\r\n"
              "Pref X Res:     0 Pixels/M\r\n"
              "Pref Y Res:     0 Pixels/M\r\n"
              "Color Map Entries:  0 used\r\n"
              "Signif Colors:  0\r\n");
}

// Refused and failed bitmaps are described all the same, values as they are.
TEST(ImageInfoText, NegativeHeightAndRefusedDepth) {
    const auto topDown = ConvertBitmapToPxl(test::readDataFile("bad/negative_height.bmp")).result;
    const std::string text = ImageInfoText(topDown.header, "\n");
    EXPECT_NE(text.find("\nImage Height:  -64 Pixels\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nImage Width:    128 Pixels\n"), std::string::npos) << text;

    const auto deep = ConvertBitmapToPxl(test::readDataFile("bad/twenty_four_bit.bmp")).result;
    EXPECT_NE(ImageInfoText(deep.header).find("\r\nBits/Pixel:     24\r\n"), std::string::npos);

    BitmapHeader odd;
    odd.bfType = {'\0', '\xFF'};
    odd.bfSize = -2147483647 - 1;
    const std::string oddText = ImageInfoText(odd);
    EXPECT_EQ(oddText.substr(0, 19), std::string("Image Type:    \0\xFF\r\n", 19));
    EXPECT_NE(oddText.find("\r\nFileSize:      -2147483648 Bytes\r\n"), std::string::npos);
}

} // namespace
} // namespace vornix::image
