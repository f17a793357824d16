#include "image/decode_bmp.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image_test_support.h"

namespace vornix::image {
namespace {

using test::BitmapSpec;
using test::Bytes;
using test::makeBitmap;

// ---- Worked examples with hand-computed output ----

struct ExampleCase {
    const char* name;
    BitmapSpec bitmap;
    std::string pxl;
};

class DecodeExampleTest : public testing::TestWithParam<ExampleCase> {};

TEST_P(DecodeExampleTest, WritesTheExpectedText) {
    const auto decoded = DecodeBMP(makeBitmap(GetParam().bitmap));
    EXPECT_EQ(decoded.result.outcome, DecodeOutcome::Converted);
    EXPECT_EQ(decoded.text, GetParam().pxl);
}

BitmapSpec spec(std::int32_t width, std::int32_t height, Bytes pixels) {
    BitmapSpec s;
    s.width = width;
    s.height = height;
    s.pixels = std::move(pixels);
    return s;
}

BitmapSpec reversedTable(BitmapSpec s) {
    s.colorTable = {255, 255, 255, 0, 0, 0, 0, 0};
    return s;
}

BitmapSpec atOffset(BitmapSpec s, std::int32_t offset) {
    s.offset = offset;
    s.colorTable.resize(static_cast<std::size_t>(offset - 54), 0x55);
    return s;
}

// Only the bfOffBits field changes; nothing is moved (a negative offset adds no padding).
BitmapSpec offsetField(BitmapSpec s, std::int32_t offset) {
    s.offset = offset;
    return s;
}

const Bytes k10x2Rows = {0x7F, 0xC0, 0, 0, 0, 0, 0, 0}; // bottom row first

INSTANTIATE_TEST_SUITE_P(
    Pictures, DecodeExampleTest,
    testing::Values(
        // Top row dark; bottom row light but its first pixel. Padding bits 0 come out as 1.
        ExampleCase{"TenByTwo", spec(10, 2, k10x2Rows), "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n"},
        ExampleCase{"TenByOneAllWhite", spec(10, 1, {0xFF, 0xC0, 0, 0}),
                    "@,10,1,8\r\n000h,03Fh\r\n"},
        ExampleCase{"ColourTableIgnored", reversedTable(spec(10, 2, k10x2Rows)),
                    "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n"},
        ExampleCase{"PixelsAtStatedOffset", atOffset(spec(10, 2, k10x2Rows), 130),
                    "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n"},
        ExampleCase{"TopLeftBlackPixel", spec(16, 2, {0xFF, 0xFF, 0, 0, 0x7F, 0xFF, 0, 0}),
                    "@,16,2,8\r\n080h,000h\r\n000h,000h\r\n"},
        ExampleCase{"EightByOne", spec(8, 1, {0x5A, 0x12, 0x34, 0x56}), "@,8,1,8\r\n0A5h\r\n"},
        ExampleCase{"OnePixelWide", spec(1, 2, {0x80, 0, 0, 0, 0x00, 0, 0, 0}),
                    "@,1,2,8\r\n0FFh\r\n07Fh\r\n"},
        ExampleCase{"HeightZero", spec(8, 0, {}), "@,8,0,8\r\n"},
        ExampleCase{"WidthZero", spec(0, 3, {}), "@,0,3,8\r\n\r\n\r\n\r\n"},
        ExampleCase{"WidthMinus62RowsOfNoBytes", spec(-62, 2, {}), "@,-62,2,8\r\n\r\n\r\n"},
        // Zero-width rows need no pixel bytes, so the offset is never used.
        ExampleCase{"EmptyRowsIgnoreOffset", offsetField(spec(0, 1, {}), -5), "@,0,1,8\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeBMP, TwoHundredFortyByOneHundredTwentyEight) {
    // Every stored row: 30 bytes 0x00 (black) then 2 padding bytes.
    Bytes pixels;
    for (int row = 0; row < 128; ++row) {
        pixels.insert(pixels.end(), 30, 0x00);
        pixels.insert(pixels.end(), {0xAB, 0xCD});
    }
    const auto decoded = DecodeBMP(makeBitmap(spec(240, 128, pixels)));
    ASSERT_TRUE(decoded.result.converted());
    EXPECT_EQ(decoded.result.bytesPerRow, std::optional<std::int16_t>(32));

    std::string line;
    for (int v = 0; v < 30; ++v) {
        line += v == 0 ? "0FFh" : ",0FFh";
    }
    ASSERT_EQ(line.size(), 149u);
    std::string expected = "@,240,128,8\r\n";
    for (int row = 0; row < 128; ++row) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(decoded.text, expected);
}

TEST(DecodeBMP, HeadersComeBackAsRead) {
    const Bytes file = test::readDataFile("good/example_10x2.bmp");
    const auto decoded = DecodeBMP(file);
    const BitmapHeader& h = decoded.result.header;
    EXPECT_EQ(h.bfType, (std::array<char, 2>{'B', 'M'}));
    EXPECT_EQ(h.bfSize, 70);
    EXPECT_EQ(h.bfOffBits, 62);
    EXPECT_EQ(h.biSize, 40);
    EXPECT_EQ(h.biWidth, 10);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 1);
    EXPECT_EQ(h.biSizeImage, 8);
    // The eight table bytes, then the first eight pixel bytes (the file has no filler).
    const ColorTableBytes table = {0, 0, 0, 0, 255, 255, 255, 0, 0x7F, 0xC0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(decoded.result.colorTable, table);
    EXPECT_EQ(decoded.result.bytesPerRow, std::optional<std::int16_t>(4));
}

// ---- Outcomes of hand-made files ----

struct FileCase {
    const char* file;
    DecodeOutcome outcome;
    std::optional<std::int16_t> bytesPerRow;
};

class DecodeFileTest : public testing::TestWithParam<FileCase> {};

class CountingSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        m_bytes += bytes.size();
        return true;
    }
    std::size_t bytes() const { return m_bytes; }

private:
    std::size_t m_bytes = 0;
};

TEST_P(DecodeFileTest, GivesTheExactOutcomeAndWritesNothing) {
    const Bytes file = test::readDataFile(GetParam().file);
    CountingSink sink;
    const auto result = DecodeBMP(file, sink);
    EXPECT_EQ(result.outcome, GetParam().outcome) << DescribeDecodeOutcome(result.outcome);
    EXPECT_EQ(result.bytesPerRow, GetParam().bytesPerRow);
    if (GetParam().outcome != DecodeOutcome::Converted) {
        EXPECT_EQ(sink.bytes(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeFileTest,
    testing::Values(FileCase{"bad/empty.bmp", DecodeOutcome::NotBitmap, {}},
                    FileCase{"bad/one_byte.bmp", DecodeOutcome::NotBitmap, {}},
                    FileCase{"bad/text_named.bmp", DecodeOutcome::NotBitmap, {}},
                    FileCase{"bad/lowercase_bm.bmp", DecodeOutcome::NotBitmap, {}},
                    FileCase{"bad/short_header.bmp", DecodeOutcome::NotMonochrome, {}},
                    FileCase{"bad/eight_bit.bmp", DecodeOutcome::NotMonochrome, {}},
                    FileCase{"bad/twenty_four_bit.bmp", DecodeOutcome::NotMonochrome, {}},
                    FileCase{"bad/huge_width.bmp", DecodeOutcome::RowLengthOverflow, {}},
                    FileCase{"bad/row_too_long.bmp", DecodeOutcome::RowLengthOverflow, {}},
                    FileCase{"bad/negative_width.bmp", DecodeOutcome::NegativeRowLength, -8},
                    FileCase{"bad/negative_height.bmp", DecodeOutcome::NegativeHeight, 16},
                    FileCase{"bad/zero_width_too_tall.bmp", DecodeOutcome::TooManyRows, 0},
                    FileCase{"bad/negative_offset.bmp", DecodeOutcome::BadPixelOffset, 4},
                    FileCase{"bad/claims_30000x30000.bmp", DecodeOutcome::PixelDataTruncated, 3752},
                    FileCase{"bad/offset_beyond_end.bmp", DecodeOutcome::PixelDataTruncated, 4},
                    FileCase{"bad/truncated_pixels.bmp", DecodeOutcome::PixelDataTruncated, 4},
                    FileCase{"good/example_10x2.bmp", DecodeOutcome::Converted, 4},
                    FileCase{"good/offset_70_10x2.bmp", DecodeOutcome::Converted, 4},
                    FileCase{"good/reversed_table_10x2.bmp", DecodeOutcome::Converted, 4}),
    [](const auto& info) {
        std::string name = info.param.file;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
        return name;
    });

TEST(DecodeBMP, WidestRowThatFitsSixteenBits) {
    // (262112 + 7) / 8 = 32764 bytes, already a multiple of 4; one pixel more needs 32768.
    const auto fits = DecodeBMP(makeBitmap(spec(262112, 1, Bytes(32764, 0xFF))));
    EXPECT_EQ(fits.result.outcome, DecodeOutcome::Converted);
    EXPECT_EQ(fits.result.bytesPerRow, std::optional<std::int16_t>(32764));
    EXPECT_EQ(fits.text.size(), std::string("@,262112,1,8\r\n").size() + 32764 * 5 + 1);

    const auto overflows = DecodeBMP(makeBitmap(spec(262113, 1, Bytes(32768, 0xFF))));
    EXPECT_EQ(overflows.result.outcome, DecodeOutcome::RowLengthOverflow);
}

TEST(DecodeBMP, BoundaryOfEmptyRowsAndNegativeWidths) {
    EXPECT_EQ(DecodeBMP(makeBitmap(spec(0, 32767, {}))).result.outcome, DecodeOutcome::Converted);
    EXPECT_EQ(DecodeBMP(makeBitmap(spec(0, 32768, {}))).result.outcome, DecodeOutcome::TooManyRows);
    EXPECT_EQ(DecodeBMP(makeBitmap(spec(-63, 1, {}))).result.outcome,
              DecodeOutcome::NegativeRowLength);
}

TEST(DecodeBMP, MissingLastPaddingByteIsTruncation) {
    Bytes file = makeBitmap(spec(10, 2, k10x2Rows));
    file.pop_back();
    EXPECT_EQ(DecodeBMP(file).result.outcome, DecodeOutcome::PixelDataTruncated);
}

// ---- Output in chunks, and a sink that fails ----

class RecordingSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        m_writes.push_back(bytes.size());
        m_text.append(bytes);
        return m_writes.size() < m_failAt;
    }
    std::vector<std::size_t> m_writes;
    std::string m_text;
    std::size_t m_failAt = SIZE_MAX;
};

Bytes largeBitmap() {
    // 2048 x 1024: 256 values per line, 1.3 MB of text.
    return makeBitmap(spec(2048, 1024, Bytes(256 * 1024, 0x3C)));
}

TEST(DecodeBMP, LargeOutputArrivesInChunksOfAboutOneMebibyte) {
    const Bytes file = largeBitmap();
    RecordingSink sink;
    ASSERT_TRUE(DecodeBMP(file, sink).converted());
    ASSERT_GE(sink.m_writes.size(), 2u);
    for (const std::size_t size : sink.m_writes) {
        EXPECT_LE(size, (1u << 20) + 256 * 5 + 1);
    }
    EXPECT_EQ(sink.m_text.size(), 15 + 1024 * (256 * 5 + 1));
    EXPECT_EQ(sink.m_text, DecodeBMP(file).text);
}

TEST(DecodeBMP, RefusedWriteIsOutputFailed) {
    RecordingSink sink;
    sink.m_failAt = 1;
    const auto result = DecodeBMP(largeBitmap(), sink);
    EXPECT_EQ(result.outcome, DecodeOutcome::OutputFailed);
    EXPECT_EQ(sink.m_writes.size(), 1u) << "no writes after the first refusal";
}

// ---- Refusal messages ----

TEST(DecodeRefusalMessage, WrongFormatAndColourDepth) {
    const auto notBitmap = DecodeBMP(test::readDataFile("bad/text_named.bmp")).result;
    EXPECT_EQ(DecodeRefusalMessage(notBitmap),
              "Image is not a compatible BMP format.\r\nCan not convert to LCD format.");

    const auto eightBit = DecodeBMP(test::readDataFile("bad/eight_bit.bmp")).result;
    EXPECT_EQ(DecodeRefusalMessage(eightBit), "Image is not compatible with LCD.\r\n"
                                              "Image is 8-bit color.\r\n"
                                              "Image must be B/W only.");
    const auto deep = DecodeBMP(test::readDataFile("bad/twenty_four_bit.bmp")).result;
    EXPECT_EQ(DecodeRefusalMessage(deep, "\n"),
              "Image is not compatible with LCD.\nImage is 24-bit color.\nImage must be B/W only.");

    const auto converted = DecodeBMP(test::readDataFile("good/example_10x2.bmp")).result;
    EXPECT_EQ(DecodeRefusalMessage(converted), "");
}

} // namespace
} // namespace vornix::image
