// The controller command stream built from PXL text: exact bytes, step order, counts.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "download/pxl_samples.h"
#include "download/stream/command_stream.h"
#include "image/picture/pxl_fields.h"
#include "support/described_enum.h"
#include "support/row_name.h"

namespace vornix::download {
namespace {

struct StreamCase {
    const char* name;
    std::string pxl;
    std::string expected; // every byte the download sends, hand-written
};

void PrintTo(const StreamCase& c, std::ostream* out) {
    *out << c.name;
}

class StreamBytesTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StreamBytesTest, SendsExactlyTheseBytes) {
    const StreamBytesResult result = StreamBytes(GetParam().pxl);
    EXPECT_EQ(result.error, StreamError::None);
    EXPECT_EQ(result.bytes, GetParam().expected);
    EXPECT_EQ(StreamByteCount(GetParam().pxl),
              static_cast<std::int64_t>(GetParam().expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, StreamBytesTest,
    ::testing::Values(
        // The format's worked example: 10 pixels wide, so each row is one group of 2 values.
        StreamCase{"Width10", "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n",
                   "\x03\r/I 6\rD 1 2\r"
                   "G 0 0 0\rG 2,0FFh,0FFh\r"
                   "G 0 1 0\rG 2,080h,03Fh\r"},
        // A hand-made file with 4 pixels per value: "I 6", D still counts bytes of 8 pixels,
        // and each row takes 16 / 4 values.
        StreamCase{"FourPixelsPerValue", "@,16,1,4\r\n0A1h,0B2h,0C3h,0D4h\r\n",
                   "\x03\rI 6\rD 2 1\r"
                   "G 0 0 0\rG 4,0A1h,0B2h,0C3h,0D4h\r"},
        StreamCase{"NoPixelsPerValue", "@,16,3,0\r\n0FFh,0FFh\r\n", "\x03\rI 6\rD 2 3\r"},
        StreamCase{"NoRows", "@,240,0,8\r\n", "\x03\r/I 6\rD 30 0\r"},
        StreamCase{"NegativeWidth", "@,-16,1,8\r\n0FFh\r\n", "\x03\r/I 6\rD-2 1\r"},
        // Values go out as the file writes them, whatever their spelling, and are read in
        // order regardless of how they are spread over lines.
        StreamCase{"ValuesAsWritten", "@,16,2,8\r\n 0ffh ,12\r\n\tx\r\n0C3h\r\n",
                   "\x03\r/I 6\rD 2 2\r"
                   "G 0 0 0\rG 2,0ffh,12\r"
                   "G 0 1 0\rG 2,x,0C3h\r"},
        StreamCase{"LineEndsIgnored", "@,16,2,8\n001h\n002h,003h\r004h",
                   "\x03\r/I 6\rD 2 2\r"
                   "G 0 0 0\rG 2,001h,002h\r"
                   "G 0 1 0\rG 2,003h,004h\r"},
        // Fewer values than announced: everything up to the last complete group goes out.
        StreamCase{"ShortFile", "@,16,2,8\r\n001h,002h\r\n003h\r\n",
                   "\x03\r/I 6\rD 2 2\rG 0 0 0\rG 2,001h,002h\r"},
        // An empty line is an empty field at the end of the file as anywhere else.
        StreamCase{"ShortFileBlankTail", "@,16,1,8\r\n001h\r\n\r\n  \r\n",
                   "\x03\r/I 6\rD 2 1\rG 0 0 0\rG 2,001h,\r"},
        StreamCase{"ShortFileBlanksWithoutLineEnd", "@,16,1,8\r\n001h\r\n  ",
                   "\x03\r/I 6\rD 2 1\r"},
        // A line end after the last comma ends an empty field, as it does in the middle of a
        // file; the end of the text right after a comma ends none.
        StreamCase{"TrailingEmptyField", "@,24,1,8\r\n0FFh,0FFh,\r\n",
                   "\x03\r/I 6\rD 3 1\rG 0 0 0\rG 3,0FFh,0FFh,\r"},
        StreamCase{"TrailingEmptyFieldLf", "@,24,1,8\n0FFh,0FFh,\n",
                   "\x03\r/I 6\rD 3 1\rG 0 0 0\rG 3,0FFh,0FFh,\r"},
        StreamCase{"MiddleEmptyField", "@,16,2,8\r\n0FFh,,0FFh,0FFh\r\n",
                   "\x03\r/I 6\rD 2 2\rG 0 0 0\rG 2,0FFh,\rG 0 1 0\rG 2,0FFh,0FFh\r"},
        StreamCase{"TrailingCommaAtTheEnd", "@,24,1,8\r\n0FFh,0FFh,", "\x03\r/I 6\rD 3 1\r"},
        // A field longer than any field may be ends the stream like the end of the file.
        StreamCase{"OverlongField",
                   "@,16,2,8\r\n0FFh,0FFh\r\n0FFh," + std::string(5000, '0') + "h\r\n",
                   "\x03\r/I 6\rD 2 2\rG 0 0 0\rG 2,0FFh,0FFh\r"},
        StreamCase{"ShortRowOfTwoGroups",
                   "@,128,1,8\r\n"
                   "000h,001h,002h,003h,004h,005h,006h,007h,008h,009h,00Ah,00Bh,00Ch\r\n",
                   "\x03\r/I 6\rD 16 1\r"
                   "G 0 0 0\rG 10,000h,001h,002h,003h,004h,005h,006h,007h,008h,009h\r"},
        StreamCase{"NoDataAtAll", "@,8,5,8\r\n", "\x03\r/I 6\rD 1 5\r"}),
    [](const auto& info) { return std::string(info.param.name); });

struct HeaderErrorCase {
    const char* name;
    std::string pxl;
    StreamError error;
};

void PrintTo(const HeaderErrorCase& c, std::ostream* out) {
    *out << c.name;
}

class StreamHeaderErrorTest : public ::testing::TestWithParam<HeaderErrorCase> {};

TEST_P(StreamHeaderErrorTest, SendsNothing) {
    const StreamBytesResult result = StreamBytes(GetParam().pxl);
    EXPECT_EQ(result.error, GetParam().error);
    EXPECT_EQ(result.bytes, "");
    EXPECT_EQ(StreamByteCount(GetParam().pxl), 0);
    CommandStream stream(GetParam().pxl);
    EXPECT_EQ(stream.next().kind, StepKind::End);
    // The command line and the LCD preview say why in the words of the header reader.
    image::PxlFieldReader reader(GetParam().pxl);
    EXPECT_EQ(describe(result.error), image::describe(image::ReadPxlHeader(reader).error));
}

INSTANTIATE_TEST_SUITE_P(
    Headers, StreamHeaderErrorTest,
    ::testing::Values(
        HeaderErrorCase{"Empty", "", StreamError::NoHeader},
        HeaderErrorCase{"DataFirst", "240,128,8\r\n0FFh\r\n", StreamError::NoHeader},
        HeaderErrorCase{"DoubleMarker", "@@,8,1,8\r\n0FFh\r\n", StreamError::NoHeader},
        HeaderErrorCase{"EmptyFirstField", ",@,8,1,8\r\n", StreamError::NoHeader},
        HeaderErrorCase{"MarkerOnly", "@\r\n", StreamError::HeaderTooShort},
        HeaderErrorCase{"TwoNumbers", "@,8,1", StreamError::HeaderTooShort},
        HeaderErrorCase{"WidthTooLarge", "@,32768,1,8\r\n", StreamError::BadHeaderNumber},
        HeaderErrorCase{"NotANumber", "@,8,one,8\r\n", StreamError::BadHeaderNumber}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<std::string> commandsOf(const std::string& bytes) {
    std::vector<std::string> commands;
    std::size_t start = 0;
    for (std::size_t cr = bytes.find('\r'); cr != std::string::npos; cr = bytes.find('\r', start)) {
        commands.push_back(bytes.substr(start, cr - start));
        start = cr + 1;
    }
    EXPECT_EQ(start, bytes.size()) << "bytes after the last CR";
    return commands;
}

// A 240 x 64 picture: 30 values per row in three groups of ten, 387 commands in all.
TEST(StreamBytes, Picture240x64) {
    const StreamBytesResult result = StreamBytes(testing::PatternPxl(240, 64));
    ASSERT_EQ(result.error, StreamError::None);
    const std::vector<std::string> commands = commandsOf(result.bytes);
    ASSERT_EQ(commands.size(), 387u);
    EXPECT_EQ(commands[0], "\x03");
    EXPECT_EQ(commands[1], "/I 6");
    EXPECT_EQ(commands[2], "D 30 64");
    EXPECT_EQ(commands[3], "G 0 0 0");
    EXPECT_EQ(commands[4], "G 10,000h,001h,002h,003h,004h,005h,006h,007h,008h,009h");
    EXPECT_EQ(commands[5], "G 0 0 10");
    EXPECT_EQ(commands[7], "G 0 0 20");
    EXPECT_EQ(commands[8], "G 10,014h,015h,016h,017h,018h,019h,01Ah,01Bh,01Ch,01Dh");
    EXPECT_EQ(commands[9], "G 0 1 0");
    // Row 5, column 20: values 5 * 7 + 20 .. 5 * 7 + 29.
    EXPECT_EQ(commands[3 + 5 * 6 + 4], "G 0 5 20");
    EXPECT_EQ(commands[3 + 5 * 6 + 5], "G 10,037h,038h,039h,03Ah,03Bh,03Ch,03Dh,03Eh,03Fh,040h");
    EXPECT_EQ(commands[385], "G 0 63 20");
    EXPECT_EQ(result.bytes.find('\n'), std::string::npos);
}

TEST(StreamBytes, Picture128WideSendsGroupsOfTenAndSix) {
    const std::vector<std::string> commands =
        commandsOf(StreamBytes(testing::PatternPxl(128, 2)).bytes);
    const std::vector<std::string> expected = {
        "\x03",
        "/I 6",
        "D 16 2",
        "G 0 0 0",
        "G 10,000h,001h,002h,003h,004h,005h,006h,007h,008h,009h",
        "G 0 0 10",
        "G 6,00Ah,00Bh,00Ch,00Dh,00Eh,00Fh",
        "G 0 1 0",
        "G 10,007h,008h,009h,00Ah,00Bh,00Ch,00Dh,00Eh,00Fh,010h",
        "G 0 1 10",
        "G 6,011h,012h,013h,014h,015h,016h",
    };
    EXPECT_EQ(commands, expected);
}

// Byte counts worked out by hand: 240 x 128 is 24,902 bytes (25.94 s on a 9600-baud line),
// 128 x 64 is 6,907 bytes.
TEST(StreamByteCount, LinePictures) {
    EXPECT_EQ(StreamByteCount(testing::PatternPxl(240, 128)), 24902);
    EXPECT_EQ(StreamByteCount(testing::PatternPxl(128, 64)), 6907);
}

class StreamDescribeTest : public ::testing::TestWithParam<test::DescribedEnum> {};

TEST_P(StreamDescribeTest, EveryValueHasWordsOfItsOwn) {
    test::ExpectOwnWords(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, StreamDescribeTest,
    ::testing::Values(test::Described("StreamError",
                                      {StreamError::None, StreamError::NoHeader,
                                       StreamError::HeaderTooShort, StreamError::BadHeaderNumber})),
    test::RowName);

} // namespace
} // namespace vornix::download
