#include <random>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "image/decode_bmp.h"
#include "image/encode_bmp.h"
#include "image_test_support.h"

namespace vornix::image {
namespace {

using test::Bytes;

constexpr std::size_t kStoredOffset = 62;
constexpr std::size_t kEncodedOffset = 70;

std::size_t strideOf(int width) {
    return static_cast<std::size_t>((width + 31) / 32 * 4);
}

// A bitmap as a paint program saves it: colour table [black, white], random pixels, every
// padding bit and byte 0.
Bytes randomBitmap(int width, int height, std::uint32_t seed) {
    std::mt19937 random(seed);
    const std::size_t stride = strideOf(width);
    Bytes pixels(stride * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (random() & 1) {
                pixels[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    test::BitmapSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixels = pixels;
    return test::makeBitmap(spec);
}

bool pixelBit(const Bytes& file, std::size_t offset, int width, int row, int x) {
    const std::uint8_t byte = file[offset + row * strideOf(width) + x / 8];
    return (byte >> (7 - x % 8)) & 1;
}

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) {
        ++count;
    }
    return count;
}

class RoundTripTest : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(RoundTripTest, BitmapToPxlToBitmapKeepsEveryPixel) {
    const auto [width, height] = GetParam();
    const Bytes original =
        randomBitmap(width, height, static_cast<std::uint32_t>(width * 1000 + height));

    const auto pxl = DecodeBMP(original);
    ASSERT_TRUE(pxl.result.converted()) << DescribeDecodeOutcome(pxl.result.outcome);
    const std::size_t valuesPerLine = (static_cast<std::size_t>(width) + 7) / 8;
    EXPECT_EQ(countOf(pxl.text, "\r\n"), static_cast<std::size_t>(height) + 1);
    EXPECT_EQ(countOf(pxl.text, "h"), valuesPerLine * static_cast<std::size_t>(height));

    const auto bitmap = EncodeBMP(pxl.text);
    ASSERT_TRUE(bitmap.result.converted()) << DescribeEncodeOutcome(bitmap.result.outcome);
    ASSERT_EQ(bitmap.bytes.size(), kEncodedOffset + strideOf(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(pixelBit(bitmap.bytes, kEncodedOffset, width, row, x),
                      pixelBit(original, kStoredOffset, width, row, x))
                << "row " << row << " pixel " << x;
        }
    }

    // The written bitmap converts back to exactly the same text.
    const auto again = DecodeBMP(bitmap.bytes);
    ASSERT_TRUE(again.result.converted());
    EXPECT_EQ(again.text, pxl.text);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTripTest,
                         testing::Combine(testing::Values(1, 7, 8, 10, 240, 241),
                                          testing::Values(0, 1, 128)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "x" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(RoundTrip, WorkedExamplePxlComesBackByteForByte) {
    const std::string pxl = test::readDataText("good/example_10x2.pxl");
    const auto bitmap = EncodeBMP(pxl);
    ASSERT_TRUE(bitmap.result.converted());
    EXPECT_EQ(DecodeBMP(bitmap.bytes).text, pxl);
}

} // namespace
} // namespace vornix::image
