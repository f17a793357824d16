#include <random>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "image/picture/decode_bmp.h"
#include "image/picture/encode_bmp.h"
#include "image_test_support.h"

namespace vornix::image {
namespace {

using test::Bytes;

std::size_t strideOf(int width) {
    return static_cast<std::size_t>((width + 31) / 32 * 4);
}

bool pixelBit(const Bytes& file, std::size_t offset, int width, int row, int x) {
    return (file[offset + row * strideOf(width) + x / 8] >> (7 - x % 8)) & 1;
}

class RoundTripTest : public testing::TestWithParam<std::tuple<int, int>> {};

// Random pixels, every padding bit 0: bitmap -> PXL -> bitmap keeps every pixel, and the
// written bitmap converts back to exactly the same PXL text.
TEST_P(RoundTripTest, BitmapToPxlToBitmap) {
    const auto [width, height] = GetParam();
    std::mt19937 random(static_cast<std::uint32_t>(width * 1000 + height));
    Bytes rows(strideOf(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows[y * strideOf(width) + x / 8] |= (random() & 1) << (7 - x % 8);
        }
    }
    const Bytes original = test::makeBitmap(width, height, rows);

    const auto pxl = ConvertBitmapToPxl(original);
    ASSERT_TRUE(pxl.result.converted());
    const auto bitmap = ConvertPxlToBitmap(pxl.text);
    ASSERT_TRUE(bitmap.result.converted());
    ASSERT_EQ(bitmap.bytes.size(), 70 + strideOf(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(pixelBit(bitmap.bytes, 70, width, row, x),
                      pixelBit(original, 62, width, row, x))
                << "row " << row << " pixel " << x;
        }
    }
    EXPECT_EQ(ConvertBitmapToPxl(bitmap.bytes).text, pxl.text);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTripTest,
                         testing::Combine(testing::Values(1, 7, 8, 10, 240, 241),
                                          testing::Values(0, 1, 128)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "x" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(RoundTrip, WorkedExampleBothWays) {
    const std::string pxl = test::readDataText("good/example_10x2.pxl");
    EXPECT_EQ(ConvertBitmapToPxl(test::readDataFile("good/example_10x2.bmp")).text, pxl);
    EXPECT_EQ(ConvertBitmapToPxl(ConvertPxlToBitmap(pxl).bytes).text, pxl);
}

} // namespace
} // namespace vornix::image
