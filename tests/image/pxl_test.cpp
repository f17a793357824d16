#include <array>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/picture/pxl_fields.h"
#include "image/picture/pxl_format.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

struct FieldCase {
    const char* name;
    std::string text;
    std::vector<std::string> fields;
};

void PrintTo(const FieldCase& row, std::ostream* out) {
    *out << row.name;
}

class FieldReaderTest : public testing::TestWithParam<FieldCase> {};

TEST_P(FieldReaderTest, YieldsTheFieldsInOrderThenTheEnd) {
    PxlFieldReader reader(GetParam().text);
    std::vector<std::string> fields;
    while (!reader.isAtEnd()) {
        fields.emplace_back(reader.next().value());
    }
    EXPECT_EQ(fields, GetParam().fields);
    EXPECT_FALSE(reader.next().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldReaderTest,
    testing::Values(
        FieldCase{"Empty", "", {}}, FieldCase{"OnlyBlanks", " \t ", {}},
        FieldCase{"Comma", "a,b", {"a", "b"}}, FieldCase{"CrLfLineEnds", "a\r\nb\r\n", {"a", "b"}},
        FieldCase{"LfLineEnds", "a\nb\n", {"a", "b"}}, FieldCase{"CrLineEnd", "a\rb", {"a", "b"}},
        FieldCase{"EmptyLineBetweenCrLfs", "a\r\n\r\nb", {"a", "", "b"}},
        FieldCase{"LfThenCrAreTwoLineEnds", "a\n\rb", {"a", "", "b"}},
        FieldCase{"EmptyFieldBetweenCommas", "a,,b", {"a", "", "b"}},
        FieldCase{"LineEndFirst", "\r\n@", {"", "@"}},
        FieldCase{"LineOfBlanks", "a\r\n  \r\nb", {"a", "", "b"}},
        FieldCase{"BlanksAroundFieldsDropped", "  a  ,\tb\t, c d \r\n", {"a", "b", "c d"}},
        FieldCase{"TrailingComma", "a,", {"a"}},
        FieldCase{"TrailingCommaAndBlanks", "a,  \t", {"a"}},
        FieldCase{"NonAsciiAndNulKept",
                  std::string("\xC3\xA9,a\0b", 6),
                  {"\xC3\xA9", std::string("a\0b", 3)}}),
    vornix::test::RowName);

TEST(PxlFields, HeaderNumbers) {
    const std::vector<std::pair<const char*, std::optional<std::int16_t>>> cases = {
        {"240", 240},        {"+8", 8},          {"-64", -64},
        {"32767", 32767},    {"-32768", -32768}, {"32768", {}},
        {"-32769", {}},      {"70000", {}},      {"", {}},
        {"-", {}},           {"8a", {}},         {"99999999999999999999999", {}},
        {"\xEF\xBC\x98", {}}};
    for (const auto& [field, value] : cases) {
        EXPECT_EQ(ParseHeaderNumber(field), value) << field;
    }
}

TEST(PxlFields, HeaderReadingAndMarker) {
    PxlFieldReader reader("@,240,128,8\r\n0A5h,");
    const auto good = ReadPxlHeader(reader);
    EXPECT_EQ(good.header, (PxlHeader{240, 128, 8}));
    EXPECT_EQ(reader.next(), std::optional<std::string_view>("0A5h"));

    const std::vector<std::pair<const char*, PxlHeaderError>> errors = {
        {"", PxlHeaderError::NoMarker},
        {"@@,1,1,8", PxlHeaderError::NoMarker},
        {"\r\n@,1,1,8", PxlHeaderError::NoMarker},
        {"@,8,1", PxlHeaderError::MissingField},
        {"@,8,,8", PxlHeaderError::BadNumber},
        {"@,70000,1,8", PxlHeaderError::BadNumber}};
    for (const auto& [text, error] : errors) {
        PxlFieldReader r(text);
        const auto result = ReadPxlHeader(r);
        EXPECT_FALSE(result.header) << text;
        EXPECT_EQ(result.error, error) << text;
    }
    for (const char* marked : {"@,240,128,8\r\n", "@", " @ ,8", "@\r\n"}) {
        EXPECT_TRUE(HasPxlMarker(marked)) << marked;
    }
    for (const char* unmarked : {"", "@@,8", "@8,1", "\r\n@", "0FFh,000h", "\xEF\xBC\xA0,8"}) {
        EXPECT_FALSE(HasPxlMarker(unmarked)) << unmarked;
    }
}

TEST(PxlFields, DataValues) {
    // clang-format off
    const std::vector<std::pair<const char*, std::optional<int>>> cases = {
        {"000h", 0}, {"0A5h", 165}, {"0a5h", 165}, {"0A5x", 165}, {"0A5", 10}, {"h", 0},
        {"xyz", 0}, {"  0A5h", 165}, {"0FF h", 255}, {"000000000000000000000FFh", 255},
        {"", {}}, {"1FFh", {}}, {"FFFFh", {}}, {"00000000000000000000FFFFh", {}},
        {"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFh", {}}};
    // clang-format on
    for (const auto& [field, value] : cases) {
        const auto parsed = ParseDataValue(field);
        EXPECT_EQ(parsed ? std::optional<int>(*parsed) : std::nullopt, value) << field;
    }
}

TEST(PxlFields, ValuesPerRowRoundsUpForReaders) {
    // clang-format off
    const std::vector<std::array<int, 3>> cases = {
        {240, 8, 30}, {241, 8, 31}, {10, 8, 2}, {7, 8, 1}, {0, 8, 0}, {-8, 8, -1},
        {16, 2, 8}, {16, 0, 0}, {16, -8, 0}, {INT_MAX, 8, 268435456}, {INT_MAX, INT_MAX, 1}};
    // clang-format on
    for (const auto& [width, perValue, values] : cases) {
        EXPECT_EQ(ValuesPerRow(width, perValue), values) << width << " / " << perValue;
    }
}

TEST(PxlFormat, ValuesAndHeaderLine) {
    EXPECT_EQ(FormatDataValue(10), "00Ah");
    EXPECT_EQ(FormatDataValue(165), "0A5h");
    EXPECT_EQ(FormatDataValueWithComma(255), "0FFh,");
    for (int v = 0; v < 256; ++v) { // every byte: four characters, upper case, reads back
        const auto text = FormatDataValue(static_cast<std::uint8_t>(v));
        EXPECT_TRUE(text.size() == 4 && text[0] == '0' && text[3] == 'h') << text;
        EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF", 1), 3u) << text;
        EXPECT_EQ(ParseDataValue(text), std::optional<std::uint8_t>(v)) << text;
    }
    EXPECT_EQ(PxlHeaderLine(240, 128), "@,240,128,8\r\n");
    EXPECT_EQ(PxlHeaderLine(-5, 0), "@,-5,0,8\r\n");
}

struct NormaliseCase {
    const char* name;
    std::string input;
    std::string output;
};

void PrintTo(const NormaliseCase& row, std::ostream* out) {
    *out << row.name;
}

class NormaliseTest : public testing::TestWithParam<NormaliseCase> {};

// Whole, and cut into two pieces at every position: a CR LF split across pieces is one end.
TEST_P(NormaliseTest, EveryLineEndsWithCrLf) {
    const std::string& input = GetParam().input;
    const std::string& output = GetParam().output;
    EXPECT_EQ(NormaliseLineEnds(input), output);
    for (std::size_t cut = 0; cut <= input.size(); ++cut) {
        StringSink sink;
        LineEndNormaliser copy;
        copy.feed(std::string_view(input).substr(0, cut), sink);
        copy.feed(std::string_view(input).substr(cut), sink);
        copy.finish(sink);
        EXPECT_EQ(sink.text(), output) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NormaliseTest,
    testing::Values(NormaliseCase{"Empty", "", ""},
                    NormaliseCase{"LastLineEndAdded", "@,8,1,8", "@,8,1,8\r\n"},
                    NormaliseCase{"LfBecomesCrLf", "a\nb", "a\r\nb\r\n"},
                    NormaliseCase{"CrBecomesCrLf", "a\rb\r", "a\r\nb\r\n"},
                    NormaliseCase{"EmptyLineKept", "a\n\nb", "a\r\n\r\nb\r\n"},
                    NormaliseCase{"CrThenCrLf", "a\r\r\n", "a\r\n\r\n"},
                    NormaliseCase{"LfThenCr", "a\n\r", "a\r\n\r\n"},
                    NormaliseCase{"BlanksKept", " 0FFh , 000h \n", " 0FFh , 000h \r\n"},
                    NormaliseCase{"NonAsciiAndNulKept", std::string("\xC3\xA9\0\x1A", 4),
                                  std::string("\xC3\xA9\0\x1A\r\n", 6)}),
    vornix::test::RowName);

} // namespace
} // namespace vornix::image
