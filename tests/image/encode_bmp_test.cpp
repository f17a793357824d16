#include "image/encode_bmp.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image_test_support.h"

namespace vornix::image {
namespace {

using test::Bytes;

// A PXL text of H lines, every value the same.
std::string uniformPxl(int width, int height, const std::string& value) {
    std::string text = "@," + std::to_string(width) + "," + std::to_string(height) + ",8\r\n";
    const int perLine = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < perLine; ++x) {
            text += (x == 0 ? "" : ",") + value;
        }
        text += "\r\n";
    }
    return text;
}

TEST(EncodeBMP, EightByOneGivesTheSeventyFourByteFile) {
    const Bytes expected = {
        'B',  'M',  74,   0,    0,    0,    0,    0,    0,    0,    70,   0,    0,    0, // file
        40,   0,    0,    0,    8,    0,    0,    0,    1,    0,    0,    0,    1,    0,
        1,    0,    0,    0,    0,    0,    4,    0,    0,    0,    0,    0,    0,    0,
        0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0, // info header
        0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
        0x00, 0x00,              // colour table and filler
        0x5A, 0xFF, 0xFF, 0xFF}; // 0A5h inverted, then the row's fill
    ASSERT_EQ(expected.size(), 74u);
    const auto encoded = EncodeBMP("@,8,1,8\r\n0A5h\r\n");
    EXPECT_EQ(encoded.result.outcome, EncodeOutcome::Converted);
    EXPECT_EQ(encoded.bytes, expected);
}

struct SizeCase {
    int width;
    int height;
    std::size_t fileSize;
    std::size_t stride;
    int valuesPerRow;
};

class EncodeSizeTest : public testing::TestWithParam<SizeCase> {};

// All-light values (000h) give white bytes FF everywhere; all-dark values (0FFh) give black
// bytes 00 in the data columns and FF in the fill.
TEST_P(EncodeSizeTest, SizesAndPixelBytes) {
    const auto& c = GetParam();
    for (const char* value : {"000h", "0FFh"}) {
        const auto encoded = EncodeBMP(uniformPxl(c.width, c.height, value));
        ASSERT_EQ(encoded.result.outcome, EncodeOutcome::Converted) << value;
        ASSERT_EQ(encoded.bytes.size(), c.fileSize);
        EXPECT_EQ(encoded.result.header.bfSize, static_cast<std::int32_t>(c.fileSize));
        EXPECT_EQ(encoded.result.header.biSizeImage, static_cast<std::int32_t>(c.fileSize - 70));
        EXPECT_EQ(encoded.result.bytesPerRow, std::optional<std::int16_t>(c.valuesPerRow));
        const bool dark = std::string(value) == "0FFh";
        for (std::size_t i = 70; i < encoded.bytes.size(); ++i) {
            const std::size_t column = (i - 70) % c.stride;
            const int expected =
                dark && column < static_cast<std::size_t>(c.valuesPerRow) ? 0x00 : 0xFF;
            ASSERT_EQ(encoded.bytes[i], expected) << value << " at offset " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    WorkedSizes, EncodeSizeTest,
    testing::Values(SizeCase{128, 64, 1094, 16, 16}, SizeCase{240, 128, 4166, 32, 30},
                    SizeCase{8, 1, 74, 4, 1}, SizeCase{10, 2, 78, 4, 2},
                    SizeCase{241, 3, 70 + 3 * 32, 32, 31}, SizeCase{1, 1, 74, 4, 1},
                    SizeCase{33, 2, 86, 8, 5}, SizeCase{8, 0, 70, 4, 1}),
    [](const auto& info) {
        return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
    });

TEST(EncodeBMP, HeaderFieldsOfTheWrittenBitmap) {
    const auto result = EncodeBMP(uniformPxl(128, 64, "000h")).result;
    ASSERT_TRUE(result.headerComputed);
    BitmapHeader expected;
    expected.bfType = {'B', 'M'};
    expected.bfSize = 1094;
    expected.bfOffBits = 70;
    expected.biSize = 40;
    expected.biWidth = 128;
    expected.biHeight = 64;
    expected.biPlanes = 1;
    expected.biBitCount = 1;
    expected.biSizeImage = 1024;
    EXPECT_EQ(result.header, expected);
    const ColorTableBytes table = {0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0,
                                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0};
    EXPECT_EQ(result.colorTable, table);
    EXPECT_EQ(result.pxlHeader, (PxlHeader{128, 64, 8}));
}

TEST(EncodeBMP, FirstPxlRowIsTheLastStoredRow) {
    // Three rows of 16 pixels; the values of row y are y + 1 and 0x10 + y.
    const auto encoded = EncodeBMP("@,16,3,8\r\n001h,010h\r\n002h,011h\r\n003h,012h\r\n");
    ASSERT_TRUE(encoded.result.converted());
    const Bytes pixels(encoded.bytes.begin() + 70, encoded.bytes.end());
    const Bytes expected = {0xFC, 0xED, 0xFF, 0xFF,  // bottom row: 003h, 012h inverted
                            0xFD, 0xEE, 0xFF, 0xFF,  // middle row
                            0xFE, 0xEF, 0xFF, 0xFF}; // top row, at 70 + (H - 1) * 4
    EXPECT_EQ(pixels, expected);
}

// Same picture, different spelling: only the order of the fields counts.
class EncodeSpellingTest : public testing::TestWithParam<const char*> {};

TEST_P(EncodeSpellingTest, GivesTheSameBitmap) {
    const auto encoded = EncodeBMP(test::readDataText(GetParam()));
    ASSERT_EQ(encoded.result.outcome, EncodeOutcome::Converted)
        << DescribeEncodeOutcome(encoded.result.outcome);
    const Bytes pixels(encoded.bytes.begin() + 70, encoded.bytes.end());
    // Bottom row 080h,03Fh and top row 0FFh,0FFh, inverted, each filled to four bytes.
    EXPECT_EQ(pixels, (Bytes{0x7F, 0xC0, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF}));
    EXPECT_EQ(encoded.result.pxlHeader, (PxlHeader{10, 2, 8}));
}

INSTANTIATE_TEST_SUITE_P(Files, EncodeSpellingTest,
                         testing::Values("good/example_10x2.pxl", "good/example_10x2_one_line.pxl",
                                         "good/example_10x2_lf.pxl", "good/example_10x2_blanks.pxl",
                                         "good/example_10x2_extra.pxl",
                                         "good/example_10x2_overlong.pxl"));

struct BadCase {
    const char* file;
    EncodeOutcome outcome;
    bool headerComputed;
    std::optional<std::int16_t> bytesPerRow;
};

class EncodeBadFileTest : public testing::TestWithParam<BadCase> {};

class CountingSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        m_bytes += bytes.size();
        return true;
    }
    std::size_t m_bytes = 0;
};

TEST_P(EncodeBadFileTest, GivesTheExactCauseAndWritesNothing) {
    const auto& c = GetParam();
    CountingSink sink;
    const auto result = EncodeBMP(test::readDataText(c.file), sink);
    EXPECT_EQ(result.outcome, c.outcome) << DescribeEncodeOutcome(result.outcome);
    EXPECT_EQ(result.headerComputed, c.headerComputed);
    EXPECT_EQ(result.bytesPerRow, c.bytesPerRow);
    EXPECT_EQ(sink.m_bytes, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, EncodeBadFileTest,
    testing::Values(BadCase{"bad/empty.pxl", EncodeOutcome::MissingHeaderField, false, {}},
                    BadCase{
                        "bad/header_missing_b.pxl", EncodeOutcome::MissingHeaderField, false, {}},
                    BadCase{"bad/width_70000.pxl", EncodeOutcome::BadHeaderNumber, false, {}},
                    BadCase{"bad/width_not_number.pxl", EncodeOutcome::BadHeaderNumber, false, {}},
                    BadCase{"bad/width_non_ascii.pxl", EncodeOutcome::BadHeaderNumber, false, {}},
                    BadCase{"bad/zero_per_value.pxl", EncodeOutcome::ZeroPixelsPerValue, false, {}},
                    BadCase{"bad/width_32761.pxl", EncodeOutcome::WidthTooLarge, false, 4096},
                    BadCase{"bad/two_per_value.pxl", EncodeOutcome::RowLongerThanStride, true, 8},
                    BadCase{"bad/negative_width.pxl", EncodeOutcome::NegativeRowStride, true, -12},
                    BadCase{"bad/negative_height.pxl", EncodeOutcome::NegativeHeight, true, 1},
                    BadCase{"bad/missing_values.pxl", EncodeOutcome::MissingValue, true, 2},
                    BadCase{"bad/empty_field.pxl", EncodeOutcome::EmptyValue, true, 2},
                    BadCase{"bad/empty_line.pxl", EncodeOutcome::EmptyValue, true, 1},
                    BadCase{"bad/value_1ff.pxl", EncodeOutcome::ValueOutOfRange, true, 1},
                    BadCase{"bad/value_ffff.pxl", EncodeOutcome::ValueOutOfRange, true, 1},
                    BadCase{"bad/overlong_value.pxl", EncodeOutcome::ValueOutOfRange, true, 1}),
    [](const auto& info) {
        std::string name = info.param.file;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
        return name;
    });

TEST(EncodeBMP, WidestPictureThatFits) {
    // W + 7 = 32767: rows of 4096 bytes.
    const auto encoded = EncodeBMP(uniformPxl(32760, 1, "0FFh"));
    ASSERT_EQ(encoded.result.outcome, EncodeOutcome::Converted);
    EXPECT_EQ(encoded.bytes.size(), 70u + 4096);
}

TEST(EncodeBMP, HeaderOfAFailedConversionIsKept) {
    const auto result = EncodeBMP(test::readDataText("bad/negative_height.pxl")).result;
    ASSERT_TRUE(result.headerComputed);
    EXPECT_EQ(result.header.biHeight, -1);
    EXPECT_EQ(result.header.bfSize, 70 - 4);
    EXPECT_EQ(result.header.biSizeImage, -4);
    EXPECT_EQ(result.pxlHeader, (PxlHeader{8, -1, 8}));
}

TEST(EncodeBMP, MarkerIsNotCheckedHere) {
    const auto encoded = EncodeBMP("#,8,1,8\r\n000h\r\n");
    EXPECT_EQ(encoded.result.outcome, EncodeOutcome::Converted);
    EXPECT_EQ(encoded.bytes.size(), 74u);
}

class RefusingSink : public ByteSink {
public:
    bool write(std::string_view) override { return false; }
};

TEST(EncodeBMP, RefusedWriteIsOutputFailed) {
    RefusingSink sink;
    EXPECT_EQ(EncodeBMP("@,8,1,8\r\n000h\r\n", sink).outcome, EncodeOutcome::OutputFailed);
}

} // namespace
} // namespace vornix::image
