#include "image/image_info.h"

#include <gtest/gtest.h>

#include "image/decode_bmp.h"
#include "image/encode_bmp.h"
#include "image_test_support.h"

namespace vornix::image {
namespace {

TEST(ImageInfoText, BitmapWrittenForA128By64Picture) {
    std::string pxl = "@,128,64,8\r\n";
    for (int i = 0; i < 128 / 8 * 64; ++i) {
        pxl += "000h,";
    }
    const auto result = EncodeBMP(pxl).result;
    ASSERT_TRUE(result.converted());
    EXPECT_EQ(ImageInfoText(result.header), "Image Type:    BM\r\n"
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

TEST(ImageInfoText, NegativeHeightHasNoBlankBeforeTheMinus) {
    const auto result = DecodeBMP(test::readDataFile("bad/negative_height.bmp")).result;
    ASSERT_EQ(result.outcome, DecodeOutcome::NegativeHeight);
    EXPECT_EQ(ImageInfoText(result.header, "\n"), "Image Type:    BM\n"
                                                  "FileSize:       1086 Bytes\n"
                                                  "ImageOffset:    62 Bytes\n"
                                                  "Info Hdr Size:  40 Bytes\n"
                                                  "-----------------------------------\n"
                                                  "Image Width:    128 Pixels\n"
                                                  "Image Height:  -64 Pixels\n"
                                                  "Planes:         1\n"
                                                  "Bits/Pixel:     1\n"
                                                  "Compression:    0\n"
                                                  "Image Size:     1024 Bytes\n"
                                                  "-----------------------------------\n"
                                                  "Pref X Res:     0 Pixels/M\n"
                                                  "Pref Y Res:     0 Pixels/M\n"
                                                  "Color Map Entries:  0 used\n"
                                                  "Signif Colors:  0\n");
}

TEST(ImageInfoText, RefusedTwentyFourBitBitmapIsDescribed) {
    const auto result = DecodeBMP(test::readDataFile("bad/twenty_four_bit.bmp")).result;
    ASSERT_EQ(result.outcome, DecodeOutcome::NotMonochrome);
    const std::string text = ImageInfoText(result.header);
    EXPECT_NE(text.find("\r\nBits/Pixel:     24\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nImage Width:    1 Pixels\r\n"), std::string::npos) << text;
}

TEST(ImageInfoText, TypeBytesAsTheyAreAndExtremeValues) {
    BitmapHeader h;
    h.bfType = {'\0', '\xFF'};
    h.bfSize = -2147483647 - 1;
    h.biClrUsed = 2147483647;
    const std::string text = ImageInfoText(h);
    EXPECT_EQ(text.substr(0, 19), std::string("Image Type:    \0\xFF\r\n", 19));
    EXPECT_NE(text.find("FileSize:      -2147483648 Bytes\r\n"), std::string::npos);
    EXPECT_NE(text.find("Color Map Entries:  2147483647 used\r\n"), std::string::npos);
    // Sixteen lines whatever the values.
    std::size_t lines = 0;
    for (auto p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 16u);
}

} // namespace
} // namespace vornix::image
