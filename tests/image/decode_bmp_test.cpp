#include "image/picture/decode_bmp.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image_test_support.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

using test::Bytes;
using test::makeBitmap;

const Bytes k10x2Rows = {0x7F, 0xC0, 0, 0, 0, 0, 0, 0}; // bottom row first
const std::string k10x2Pxl = "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n";

struct ExampleCase {
    const char* name;
    Bytes file;
    std::string pxl;
};

void PrintTo(const ExampleCase& row, std::ostream* out) {
    *out << row.name;
}

class DecodeExampleTest : public testing::TestWithParam<ExampleCase> {};

TEST_P(DecodeExampleTest, WritesTheHandComputedText) {
    const auto decoded = ConvertBitmapToPxl(GetParam().file);
    EXPECT_EQ(decoded.result.outcome, DecodeOutcome::Converted);
    EXPECT_EQ(decoded.text, GetParam().pxl);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, DecodeExampleTest,
    testing::Values(
        // Top row dark, bottom row light but its first pixel; padding bits 0 come out as 1.
        ExampleCase{"TenByTwo", makeBitmap(10, 2, k10x2Rows), k10x2Pxl},
        ExampleCase{"TenByOne", makeBitmap(10, 1, {0xFF, 0xC0, 0, 0}), "@,10,1,8\r\n000h,03Fh\r\n"},
        ExampleCase{"RowsAtOffset130", makeBitmap(10, 2, k10x2Rows, 68), k10x2Pxl},
        ExampleCase{"ReversedColourTable", test::readDataFile("good/reversed_table_10x2.bmp"),
                    k10x2Pxl},
        ExampleCase{"TopLeftPixelBlack", makeBitmap(16, 2, {0xFF, 0xFF, 0, 0, 0x7F, 0xFF, 0, 0}),
                    "@,16,2,8\r\n080h,000h\r\n000h,000h\r\n"},
        ExampleCase{"PaddingBytesIgnored", makeBitmap(8, 1, {0x5A, 1, 2, 3}),
                    "@,8,1,8\r\n0A5h\r\n"},
        ExampleCase{"NoRows", makeBitmap(8, 0, {}), "@,8,0,8\r\n"},
        ExampleCase{"ZeroWidth", makeBitmap(0, 3, {}), "@,0,3,8\r\n\r\n\r\n\r\n"},
        ExampleCase{"NegativeWidthNoPixelBytes", makeBitmap(-62, 1, {}, 0, -5),
                    "@,-62,1,8\r\n\r\n"}),
    vornix::test::RowName);

struct FileCase {
    const char* file;
    DecodeOutcome outcome;
    std::optional<std::int16_t> bytesPerRow;
};

void PrintTo(const FileCase& row, std::ostream* out) {
    *out << row.file;
}

class DecodeFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(DecodeFileTest, GivesTheExactOutcome) {
    StringSink sink;
    const auto result = ConvertBitmapToPxl(test::readDataFile(GetParam().file), sink);
    EXPECT_EQ(result.outcome, GetParam().outcome) << describe(result.outcome);
    EXPECT_EQ(result.bytesPerRow, GetParam().bytesPerRow);
    EXPECT_EQ(sink.text().empty(), !result.converted()) << "output only for a conversion";
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeFileTest,
    testing::Values(FileCase{"bad/empty.bmp", DecodeOutcome::NotBitmap, {}},
                    FileCase{"bad/one_byte.bmp", DecodeOutcome::NotBitmap, {}},
                    FileCase{"bad/text_named.bmp", DecodeOutcome::NotBitmap, {}},
                    FileCase{"bad/lowercase_bm.bmp", DecodeOutcome::NotBitmap, {}},
                    FileCase{"bad/short_header.bmp", DecodeOutcome::NotMonochrome, {}},
                    FileCase{"bad/eight_bit.bmp", DecodeOutcome::NotMonochrome, {}},
                    FileCase{"bad/huge_width.bmp", DecodeOutcome::RowLengthOverflow, {}},
                    FileCase{"bad/row_too_long.bmp", DecodeOutcome::RowLengthOverflow, {}},
                    FileCase{"bad/negative_width.bmp", DecodeOutcome::NegativeRowLength, -8},
                    FileCase{"bad/negative_height.bmp", DecodeOutcome::NegativeHeight, 16},
                    FileCase{"bad/zero_width_too_tall.bmp", DecodeOutcome::TooManyRows, 0},
                    FileCase{"bad/negative_offset.bmp", DecodeOutcome::BadPixelOffset, 4},
                    FileCase{"bad/claims_30000x30000.bmp", DecodeOutcome::PixelDataTruncated, 3752},
                    FileCase{"bad/offset_beyond_end.bmp", DecodeOutcome::PixelDataTruncated, 4},
                    FileCase{"bad/truncated_pixels.bmp", DecodeOutcome::PixelDataTruncated, 4},
                    FileCase{"good/offset_70_10x2.bmp", DecodeOutcome::Converted, 4}),
    vornix::test::RowNameFrom<&FileCase::file>);

TEST(DecodeBMP, SizeBoundaries) {
    // (262112 + 7) / 8 = 32764 bytes per row fits 16 bits; one pixel more needs 32768.
    const auto widest = ConvertBitmapToPxl(makeBitmap(262112, 1, Bytes(32764, 0xFF))).result;
    EXPECT_EQ(widest.outcome, DecodeOutcome::Converted);
    EXPECT_EQ(widest.bytesPerRow, std::optional<std::int16_t>(32764));
    EXPECT_EQ(ConvertBitmapToPxl(makeBitmap(262113, 1, Bytes(32768))).result.outcome,
              DecodeOutcome::RowLengthOverflow);
    EXPECT_EQ(ConvertBitmapToPxl(makeBitmap(0, 32767, {})).result.outcome,
              DecodeOutcome::Converted);
    EXPECT_EQ(ConvertBitmapToPxl(makeBitmap(0, 32768, {})).result.outcome,
              DecodeOutcome::TooManyRows);
    EXPECT_EQ(ConvertBitmapToPxl(makeBitmap(-63, 1, {})).result.outcome,
              DecodeOutcome::NegativeRowLength);
    Bytes lastPaddingByteMissing = makeBitmap(10, 2, k10x2Rows);
    lastPaddingByteMissing.pop_back();
    EXPECT_EQ(ConvertBitmapToPxl(lastPaddingByteMissing).result.outcome,
              DecodeOutcome::PixelDataTruncated);
}

class RecordingSink : public ByteSink {
public:
    explicit RecordingSink(std::size_t failAt = SIZE_MAX) : m_failAt(failAt) {}
    bool write(std::string_view bytes) override {
        sizes.push_back(bytes.size());
        text.append(bytes);
        return sizes.size() < m_failAt;
    }
    std::vector<std::size_t> sizes;
    std::string text;

private:
    std::size_t m_failAt;
};

TEST(DecodeBMP, LargeOutputArrivesInChunksAndARefusedWriteStopsIt) {
    const Bytes file = makeBitmap(2048, 1024, Bytes(256 * 1024, 0x3C)); // 1.3 MB of text
    RecordingSink sink;
    ASSERT_TRUE(ConvertBitmapToPxl(file, sink).converted());
    EXPECT_GE(sink.sizes.size(), 2u);
    for (const std::size_t size : sink.sizes) {
        EXPECT_LE(size, (1u << 20) + 256 * 5 + 1);
    }
    EXPECT_EQ(sink.text.size(), 15 + 1024 * (256 * 5 + 1));

    RecordingSink refusing(1);
    EXPECT_EQ(ConvertBitmapToPxl(file, refusing).outcome, DecodeOutcome::OutputFailed);
    EXPECT_EQ(refusing.sizes.size(), 1u);
}

TEST(DecodeRefusalMessage, WrongFormatAndColourDepth) {
    EXPECT_EQ(DecodeRefusalMessage(ConvertBitmapToPxl(test::readDataFile("bad/empty.bmp")).result),
              "Image is not a compatible BMP format.\r\nCan not convert to LCD format.");
    EXPECT_EQ(
        DecodeRefusalMessage(ConvertBitmapToPxl(test::readDataFile("bad/eight_bit.bmp")).result),
        "Image is not compatible with LCD.\r\nImage is 8-bit color.\r\n"
        "Image must be B/W only.");
    EXPECT_EQ(DecodeRefusalMessage(
                  ConvertBitmapToPxl(test::readDataFile("bad/twenty_four_bit.bmp")).result, "\n"),
              "Image is not compatible with LCD.\nImage is 24-bit color.\nImage must be B/W only.");
    EXPECT_EQ(DecodeRefusalMessage(ConvertBitmapToPxl(makeBitmap(8, 0, {})).result), "");
}

} // namespace
} // namespace vornix::image
