#include "image/pxl_format.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/pxl_fields.h"

namespace vornix::image {
namespace {

struct FormatCase {
    int value;
    const char* text;
};

class FormatDataValueTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatDataValueTest, WritesLeadingZeroTwoUpperCaseDigitsAndSuffix) {
    const auto value = static_cast<std::uint8_t>(GetParam().value);
    EXPECT_EQ(FormatDataValue(value), GetParam().text);
    EXPECT_EQ(FormatDataValueWithComma(value), std::string(GetParam().text) + ",");
}

INSTANTIATE_TEST_SUITE_P(Values, FormatDataValueTest,
                         testing::Values(FormatCase{0, "000h"}, FormatCase{5, "005h"},
                                         FormatCase{10, "00Ah"}, FormatCase{128, "080h"},
                                         FormatCase{63, "03Fh"}, FormatCase{165, "0A5h"},
                                         FormatCase{171, "0ABh"}, FormatCase{255, "0FFh"}));

TEST(FormatDataValue, EveryByteHasTheFourCharacterFormAndReadsBack) {
    for (int v = 0; v < 256; ++v) {
        const auto text = FormatDataValue(static_cast<std::uint8_t>(v));
        ASSERT_EQ(text.size(), 4u);
        EXPECT_EQ(text.front(), '0');
        EXPECT_EQ(text.back(), 'h');
        EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF", 1), 3u) << text;
        EXPECT_EQ(ParseDataValue(text), std::optional<std::uint8_t>(v)) << text;
    }
}

TEST(PxlHeaderLine, PlainNumbersNoBlanksCrLf) {
    EXPECT_EQ(PxlHeaderLine(240, 128), "@,240,128,8\r\n");
    EXPECT_EQ(PxlHeaderLine(8, 1), "@,8,1,8\r\n");
    EXPECT_EQ(PxlHeaderLine(-5, 0), "@,-5,0,8\r\n");
    EXPECT_EQ(PxlHeaderLine(2147483647, -2147483648LL), "@,2147483647,-2147483648,8\r\n");
}

// ---- Line-by-line copy ----

struct CopyCase {
    const char* name;
    std::string input;
    std::string output;
};

class NormaliseLineEndsTest : public testing::TestWithParam<CopyCase> {};

TEST_P(NormaliseLineEndsTest, EveryLineEndsWithCrLf) {
    EXPECT_EQ(NormaliseLineEnds(GetParam().input), GetParam().output);
}

// However the text is cut into pieces, the copy is the same: a CR LF split across two pieces
// is still one line end.
TEST_P(NormaliseLineEndsTest, PiecesGiveTheSameCopy) {
    const std::string& input = GetParam().input;
    for (std::size_t cut = 0; cut <= input.size(); ++cut) {
        StringSink sink;
        LineEndNormaliser normaliser;
        ASSERT_TRUE(normaliser.feed(std::string_view(input).substr(0, cut), sink));
        ASSERT_TRUE(normaliser.feed(std::string_view(input).substr(cut), sink));
        ASSERT_TRUE(normaliser.finish(sink));
        EXPECT_EQ(sink.text(), GetParam().output) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NormaliseLineEndsTest,
    testing::Values(CopyCase{"Empty", "", ""}, CopyCase{"NoLineEnd", "@,8,1,8", "@,8,1,8\r\n"},
                    CopyCase{"CrLfKept", "a\r\nb\r\n", "a\r\nb\r\n"},
                    CopyCase{"LfOnly", "a\nb\n", "a\r\nb\r\n"},
                    CopyCase{"CrOnly", "a\rb\r", "a\r\nb\r\n"},
                    CopyCase{"LastLineWithoutEnd", "a\r\nb", "a\r\nb\r\n"},
                    CopyCase{"EmptyLinesKept", "a\n\nb", "a\r\n\r\nb\r\n"},
                    CopyCase{"CrThenCrLf", "a\r\r\n", "a\r\n\r\n"},
                    CopyCase{"LfThenCr", "a\n\r", "a\r\n\r\n"}, CopyCase{"LoneLf", "\n", "\r\n"},
                    CopyCase{"BlanksKept", " 0FFh , 000h \n", " 0FFh , 000h \r\n"},
                    CopyCase{"OtherBytesKept", std::string("\xC3\xA9\0\x1A", 4),
                             std::string("\xC3\xA9\0\x1A\r\n", 6)}),
    [](const auto& info) { return std::string(info.param.name); });

class RefusingSink : public ByteSink {
public:
    bool write(std::string_view) override { return false; }
};

TEST(LineEndNormaliser, ReportsARefusedWrite) {
    RefusingSink sink;
    LineEndNormaliser normaliser;
    EXPECT_FALSE(normaliser.feed("a\r\nb", sink));
    EXPECT_FALSE(normaliser.finish(sink));
}

} // namespace
} // namespace vornix::image
