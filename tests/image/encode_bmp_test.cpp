#include "image/picture/encode_bmp.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image_test_support.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

using test::Bytes;

// A PXL text of H lines of ceil(W / 8) values, every value the same.
std::string uniformPxl(int width, int height, const std::string& value) {
    std::string text = "@," + std::to_string(width) + "," + std::to_string(height) + ",8\r\n";
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < (width + 7) / 8; ++x) {
            text += (x == 0 ? "" : ",") + value;
        }
        text += "\r\n";
    }
    return text;
}

TEST(EncodeBMP, EightByOneGivesTheSeventyFourByteFile) {
    // clang-format off
    const Bytes expected = {
        'B', 'M',               // file type
        74, 0, 0, 0,            // file size
        0, 0,                   // reserved
        0, 0,                   // reserved
        70, 0, 0, 0,            // offset of the pixel rows
        40, 0, 0, 0,            // info header size
        8, 0, 0, 0,             // width
        1, 0, 0, 0,             // height
        1, 0,                   // planes
        1, 0,                   // bits per pixel
        0, 0, 0, 0,             // compression: none
        4, 0, 0, 0,             // size of the pixel rows
        0, 0, 0, 0,             // horizontal resolution
        0, 0, 0, 0,             // vertical resolution
        0, 0, 0, 0,             // colours used
        0, 0, 0, 0,             // important colours
        0, 0, 0, 0,             // colour 0: black
        255, 255, 255, 0,       // colour 1: white
        255, 255, 255, 255,     // filler
        255, 0, 0, 0,           // filler
        0x5A, 0xFF, 0xFF, 0xFF, // the one row: 0A5h inverted, then fill
    };
    // clang-format on
    const auto encoded = ConvertPxlToBitmap("@,8,1,8\r\n0A5h\r\n");
    EXPECT_EQ(encoded.result.outcome, EncodeOutcome::Converted);
    EXPECT_EQ(encoded.bytes, expected);
    EXPECT_EQ(encoded.result.pxlHeader, (PxlHeader{8, 1, 8}));
}

struct SizeCase {
    const char* name;
    int width, height;
    std::size_t fileSize, stride;
    int valuesPerRow;
};

void PrintTo(const SizeCase& row, std::ostream* out) {
    *out << row.name;
}

class EncodeSizeTest : public testing::TestWithParam<SizeCase> {};

// All-light values (000h) give white bytes FF everywhere; all-dark values (0FFh) give black
// bytes 00 in the data columns and FF in the fill.
TEST_P(EncodeSizeTest, SizesAndPixelBytes) {
    const auto& c = GetParam();
    for (const std::string value : {"000h", "0FFh"}) {
        const auto encoded = ConvertPxlToBitmap(uniformPxl(c.width, c.height, value));
        ASSERT_EQ(encoded.bytes.size(), c.fileSize) << describe(encoded.result.outcome);
        EXPECT_EQ(encoded.result.header.bfSize, static_cast<std::int32_t>(c.fileSize));
        EXPECT_EQ(encoded.result.header.biSizeImage, static_cast<std::int32_t>(c.fileSize - 70));
        EXPECT_EQ(encoded.result.bytesPerRow, std::optional<std::int16_t>(c.valuesPerRow));
        for (std::size_t i = 70; i < encoded.bytes.size(); ++i) {
            const bool data = (i - 70) % c.stride < static_cast<std::size_t>(c.valuesPerRow);
            ASSERT_EQ(encoded.bytes[i], value == "0FFh" && data ? 0x00 : 0xFF) << value << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WorkedSizes, EncodeSizeTest,
                         testing::Values(SizeCase{"HalfTheLcd", 128, 64, 1094, 16, 16},
                                         SizeCase{"WholeLcd", 240, 128, 4166, 32, 30},
                                         SizeCase{"EightByOne", 8, 1, 74, 4, 1},
                                         SizeCase{"TenByTwo", 10, 2, 78, 4, 2},
                                         SizeCase{"OnePixelWiderThanTheLcd", 241, 3, 166, 32, 31},
                                         SizeCase{"NoRows", 8, 0, 70, 4, 1},
                                         SizeCase{"WidestRow", 32760, 1, 70 + 4096, 4096, 4095}),
                         vornix::test::RowName);

TEST(EncodeBMP, FirstPxlRowBecomesTheLastStoredRow) {
    const auto encoded = ConvertPxlToBitmap("@,16,3,8\r\n001h,010h\r\n002h,011h\r\n003h,012h\r\n");
    const Bytes expected = {0xFC, 0xED, 0xFF, 0xFF,  // bottom row, at offset 70
                            0xFD, 0xEE, 0xFF, 0xFF,  //
                            0xFE, 0xEF, 0xFF, 0xFF}; // top row, at 70 + (H - 1) * 4
    EXPECT_EQ(Bytes(encoded.bytes.begin() + 70, encoded.bytes.end()), expected);
}

// The same picture spelt differently: only the order of the fields counts; extra values are
// ignored; the marker is the caller's to check.
TEST(EncodeBMP, SpellingDoesNotMatter) {
    const Bytes pixels = {0x7F, 0xC0, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF};
    for (const char* file :
         {"example_10x2.pxl", "example_10x2_one_line.pxl", "example_10x2_lf.pxl",
          "example_10x2_blanks.pxl", "example_10x2_extra.pxl", "example_10x2_overlong.pxl"}) {
        const auto encoded = ConvertPxlToBitmap(test::readDataText(std::string("good/") + file));
        ASSERT_TRUE(encoded.result.converted()) << file;
        EXPECT_EQ(Bytes(encoded.bytes.begin() + 70, encoded.bytes.end()), pixels) << file;
    }
    EXPECT_TRUE(ConvertPxlToBitmap("#,8,1,8\r\n000h").result.converted());
}

struct BadCase {
    const char* file;
    EncodeOutcome outcome;
    bool headerComputed;
    std::optional<std::int16_t> bytesPerRow;
};

void PrintTo(const BadCase& row, std::ostream* out) {
    *out << row.file;
}

class EncodeBadFileTest : public testing::TestWithParam<BadCase> {};

TEST_P(EncodeBadFileTest, GivesTheExactCauseAndWritesNothing) {
    const auto& c = GetParam();
    StringSink sink;
    const auto result = ConvertPxlToBitmap(test::readDataText(std::string("bad/") + c.file), sink);
    EXPECT_EQ(result.outcome, c.outcome) << describe(result.outcome);
    EXPECT_EQ(result.headerComputed, c.headerComputed);
    EXPECT_EQ(result.bytesPerRow, c.bytesPerRow);
    EXPECT_TRUE(sink.text().empty());
    if (result.headerComputed) { // the header is kept for the information text
        EXPECT_EQ(result.header.biHeight, result.pxlHeader->height);
        EXPECT_EQ(result.header.bfOffBits, 70);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, EncodeBadFileTest,
    testing::Values(BadCase{"empty.pxl", EncodeOutcome::MissingHeaderField, false, {}},
                    BadCase{"header_missing_b.pxl", EncodeOutcome::MissingHeaderField, false, {}},
                    BadCase{"width_70000.pxl", EncodeOutcome::BadHeaderNumber, false, {}},
                    BadCase{"width_not_number.pxl", EncodeOutcome::BadHeaderNumber, false, {}},
                    BadCase{"width_non_ascii.pxl", EncodeOutcome::BadHeaderNumber, false, {}},
                    BadCase{"zero_per_value.pxl", EncodeOutcome::ZeroPixelsPerValue, false, {}},
                    BadCase{"width_32761.pxl", EncodeOutcome::WidthTooLarge, false, 4096},
                    BadCase{"two_per_value.pxl", EncodeOutcome::RowLongerThanStride, true, 8},
                    BadCase{"negative_width.pxl", EncodeOutcome::NegativeRowStride, true, -12},
                    BadCase{"negative_height.pxl", EncodeOutcome::NegativeHeight, true, 1},
                    BadCase{"missing_values.pxl", EncodeOutcome::MissingValue, true, 2},
                    BadCase{"empty_field.pxl", EncodeOutcome::EmptyValue, true, 2},
                    BadCase{"empty_line.pxl", EncodeOutcome::EmptyValue, true, 1},
                    BadCase{"value_1ff.pxl", EncodeOutcome::ValueOutOfRange, true, 1},
                    BadCase{"value_ffff.pxl", EncodeOutcome::ValueOutOfRange, true, 1},
                    BadCase{"overlong_value.pxl", EncodeOutcome::ValueOutOfRange, true, 1}),
    vornix::test::RowNameFrom<&BadCase::file>);

struct TextCase {
    const char* name;
    std::string text;
    EncodeOutcome outcome;
};

void PrintTo(const TextCase& c, std::ostream* out) {
    *out << c.name;
}

class EncodeTextTest : public testing::TestWithParam<TextCase> {};

// Pixels per value outside 1..8 and overlong fields fail like B = 0 does: nothing written. The
// end of the text reads a field as anywhere else: a line end after a comma ends an empty field.
TEST_P(EncodeTextTest, GivesTheOutcome) {
    StringSink sink;
    const EncodeResult result = ConvertPxlToBitmap(GetParam().text, sink);
    EXPECT_EQ(result.outcome, GetParam().outcome) << describe(result.outcome);
    if (!result.converted()) {
        EXPECT_EQ(sink.text(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EncodeTextTest,
    testing::Values(
        // 18 bytes that used to become a 134,213,702-byte bitmap of FF.
        TextCase{"MinusOnePerValue", "@,32760,32767,-1", EncodeOutcome::BadPixelsPerValue},
        TextCase{"NinePerValue", "@,8,1,9\r\n0FFh\r\n", EncodeOutcome::BadPixelsPerValue},
        TextCase{"LargestPerValue", "@,32760,32767,32767", EncodeOutcome::BadPixelsPerValue},
        TextCase{"SmallestPerValue", "@,8,1,-32768\r\n0FFh", EncodeOutcome::BadPixelsPerValue},
        TextCase{"OnePerValue", "@,1,1,1\r\n0FFh\r\n", EncodeOutcome::Converted},
        TextCase{"HeaderOnlyLargest", "@,32760,32767,8\r\n", EncodeOutcome::MissingValue},
        TextCase{"HeaderOnlyOnePerValue", "@,1,32767,1", EncodeOutcome::MissingValue},
        TextCase{"FiveThousandByteValue", "@,8,1,8\r\n" + std::string(5000, '0') + "h\r\n",
                 EncodeOutcome::FieldTooLong},
        TextCase{"FiveThousandByteHeight", "@,8," + std::string(5000, '1') + ",8",
                 EncodeOutcome::FieldTooLong},
        TextCase{"TrailingEmptyField", "@,24,1,8\r\n0FFh,0FFh,\r\n", EncodeOutcome::EmptyValue},
        TextCase{"TrailingComma", "@,24,1,8\r\n0FFh,0FFh,", EncodeOutcome::MissingValue},
        TextCase{"MiddleEmptyField", "@,24,1,8\r\n0FFh,,0FFh\r\n", EncodeOutcome::EmptyValue}),
    vornix::test::RowName);

// No text makes a bitmap more than twice its own length plus 58 bytes. The cases that come
// closest: rows of one value (W <= 8) written as one character and a comma, for each B, and
// the largest sides with the shortest values.
TEST(EncodeBMP, NeverAmplifiesItsText) {
    struct Limit {
        int width, height, perValue;
        const char* value;
    };
    const Limit limits[] = {{1, 32767, 1, "0"},    {8, 32767, 8, "0"},   {4, 32767, 1, "0"},
                            {12, 32767, 3, "0"},   {32760, 1, 8, "0"},   {32760, 2, 8, "0FFh"},
                            {0, 32767, 8, "0"},    {-62, 32767, 1, "0"}, {-1, 32767, 8, "0"},
                            {32760, 32767, 8, "0"}};
    for (const Limit& l : limits) {
        const int perRow = ValuesPerRow(l.width, l.perValue);
        const std::size_t values =
            static_cast<std::size_t>(std::max(perRow, 0)) * static_cast<std::size_t>(l.height);
        if (values > (std::size_t{1} << 25)) {
            continue; // W = 32760, H = 32767 needs 134 million values: checked by the arithmetic
        }
        std::string text = "@," + std::to_string(l.width) + "," + std::to_string(l.height) + "," +
                           std::to_string(l.perValue);
        text.reserve(text.size() + values * (std::strlen(l.value) + 1));
        for (std::size_t i = 0; i < values; ++i) {
            text += ',';
            text += l.value;
        }
        test::CountingSink sink;
        const EncodeResult result = ConvertPxlToBitmap(text, sink);
        ASSERT_TRUE(result.converted()) << l.width << " x " << l.height << ", B " << l.perValue;
        EXPECT_LE(sink.size, kMaxBitmapPerTextFactor * text.size() + kMaxBitmapOverText)
            << l.width << " x " << l.height << ", B " << l.perValue << ": " << sink.size
            << " bytes from " << text.size();
    }
    // The closest cases reach the bound: a header with an empty marker, then one value.
    for (const std::string tightest : {",0,0,1", ",1,1,1,0"}) {
        const std::size_t size = ConvertPxlToBitmap(tightest).bytes.size();
        EXPECT_EQ(size, kMaxBitmapPerTextFactor * tightest.size() + kMaxBitmapOverText) << tightest;
    }
}

class RefusingSink : public ByteSink {
public:
    bool write(std::string_view) override { return false; }
};

TEST(EncodeBMP, RefusedWriteIsOutputFailed) {
    RefusingSink sink;
    EXPECT_EQ(ConvertPxlToBitmap("@,8,1,8\r\n000h\r\n", sink).outcome, EncodeOutcome::OutputFailed);
}

} // namespace
} // namespace vornix::image
