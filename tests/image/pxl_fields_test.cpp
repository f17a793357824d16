#include "image/pxl_fields.h"

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vornix::image {
namespace {

// ---- Field reader: every field of a text, in order, until the end. ----

struct FieldCase {
    const char* name;
    std::string text;
    std::vector<std::string> fields;
};

std::vector<std::string> allFields(std::string_view text) {
    PxlFieldReader reader(text);
    std::vector<std::string> fields;
    while (!reader.isAtEnd()) {
        const auto field = reader.next();
        if (!field) {
            ADD_FAILURE() << "isAtEnd() was false but next() gave the end";
            break;
        }
        fields.emplace_back(*field);
    }
    EXPECT_FALSE(reader.next().has_value()) << "a field after the end";
    EXPECT_TRUE(reader.atEnd());
    return fields;
}

class FieldReaderTest : public testing::TestWithParam<FieldCase> {};

TEST_P(FieldReaderTest, YieldsTheFieldsInOrder) {
    EXPECT_EQ(allFields(GetParam().text), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldReaderTest,
    testing::Values(
        FieldCase{"Empty", "", {}}, FieldCase{"OnlyBlanks", " \t ", {}},
        FieldCase{"Commas", "a,b,c", {"a", "b", "c"}}, FieldCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
        FieldCase{"LfOnly", "a\nb\n", {"a", "b"}}, FieldCase{"CrOnly", "a\rb\r", {"a", "b"}},
        FieldCase{"LineEndLikeComma", "@,2,1,8\r\n0FFh,000h", {"@", "2", "1", "8", "0FFh", "000h"}},
        FieldCase{"EmptyLineIsEmptyField", "a\r\n\r\nb", {"a", "", "b"}},
        FieldCase{"LfCrIsTwoLineEnds", "a\n\rb", {"a", "", "b"}},
        FieldCase{"AdjacentCommas", "a,,b", {"a", "", "b"}},
        FieldCase{"LeadingEmptyLine", "\r\n@", {"", "@"}},
        FieldCase{"CommaThenLineEnd", "a,\r\nb", {"a", "", "b"}},
        FieldCase{"BlanksAroundFields", "  a  ,\tb\t, c \r\n", {"a", "b", "c"}},
        FieldCase{"BlanksInsideKept", "a b,c", {"a b", "c"}},
        FieldCase{"TrailingCommaIsEnd", "a,", {"a"}},
        FieldCase{"TrailingBlanksAreEnd", "a,  \t", {"a"}},
        FieldCase{"BlankLineIsEmptyField", "a\r\n  \r\nb", {"a", "", "b"}},
        FieldCase{"NonAsciiBytesKept", "\xC3\xA9,\x01\x7F", {"\xC3\xA9", "\x01\x7F"}},
        FieldCase{"NulByteKept", std::string("a\0b,c", 5), {std::string("a\0b", 3), "c"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldReader, ViewsPointIntoTheTextAndPositionAdvances) {
    const std::string text = "@,240\r\n";
    PxlFieldReader reader(text);
    const auto marker = reader.next();
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->data(), text.data());
    EXPECT_EQ(reader.position(), 2u);
    reader.next();
    EXPECT_EQ(reader.position(), text.size());
}

// ---- Header numbers ----

struct NumberCase {
    const char* field;
    std::optional<std::int16_t> value;
};

class HeaderNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(HeaderNumberTest, ReadsSixteenBitDecimalOrFails) {
    EXPECT_EQ(ParseHeaderNumber(GetParam().field), GetParam().value) << GetParam().field;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, HeaderNumberTest,
    testing::Values(NumberCase{"240", 240}, NumberCase{"0", 0}, NumberCase{"+8", 8},
                    NumberCase{"-64", -64}, NumberCase{"0008", 8}, NumberCase{"32767", 32767},
                    NumberCase{"-32768", -32768}, NumberCase{"32768", {}}, NumberCase{"-32769", {}},
                    NumberCase{"70000", {}}, NumberCase{"99999999999999999999999", {}},
                    NumberCase{"", {}}, NumberCase{"-", {}}, NumberCase{"+", {}},
                    NumberCase{"8a", {}}, NumberCase{"1.5", {}}, NumberCase{"0x10", {}},
                    NumberCase{"--8", {}}, NumberCase{"- 8", {}}, NumberCase{"\xEF\xBC\x98", {}}));

TEST(ReadPxlHeader, ReadsMarkerAndThreeNumbersThenStandsOnFirstValue) {
    PxlFieldReader reader("@,240,128,8\r\n0A5h,");
    const auto result = ReadPxlHeader(reader);
    ASSERT_TRUE(result.header);
    EXPECT_EQ(*result.header, (PxlHeader{240, 128, 8}));
    EXPECT_EQ(reader.next(), std::optional<std::string_view>("0A5h"));
}

struct HeaderErrorCase {
    const char* text;
    PxlHeaderError error;
};

class PxlHeaderErrorTest : public testing::TestWithParam<HeaderErrorCase> {};

TEST_P(PxlHeaderErrorTest, ReportsTheCause) {
    PxlFieldReader reader(GetParam().text);
    const auto result = ReadPxlHeader(reader);
    EXPECT_FALSE(result.header);
    EXPECT_EQ(result.error, GetParam().error) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, PxlHeaderErrorTest,
                         testing::Values(HeaderErrorCase{"", PxlHeaderError::NoMarker},
                                         HeaderErrorCase{"240,128,8", PxlHeaderError::NoMarker},
                                         HeaderErrorCase{"@@,1,1,8", PxlHeaderError::NoMarker},
                                         HeaderErrorCase{"\r\n@,1,1,8", PxlHeaderError::NoMarker},
                                         HeaderErrorCase{"@", PxlHeaderError::MissingField},
                                         HeaderErrorCase{"@,8,1", PxlHeaderError::MissingField},
                                         HeaderErrorCase{"@,8,,8", PxlHeaderError::BadNumber},
                                         HeaderErrorCase{"@,70000,1,8", PxlHeaderError::BadNumber},
                                         HeaderErrorCase{"@,8,1,x", PxlHeaderError::BadNumber}));

struct MarkerCase {
    const char* text;
    bool marked;
};

class MarkerTest : public testing::TestWithParam<MarkerCase> {};

TEST_P(MarkerTest, FirstFieldMustBeExactlyTheMarker) {
    EXPECT_EQ(HasPxlMarker(GetParam().text), GetParam().marked) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, MarkerTest,
                         testing::Values(MarkerCase{"@,240,128,8\r\n", true}, MarkerCase{"@", true},
                                         MarkerCase{" @ ,8", true}, MarkerCase{"@\r\n", true},
                                         MarkerCase{"", false}, MarkerCase{"@@,8", false},
                                         MarkerCase{"@8,1", false}, MarkerCase{"#,8", false},
                                         MarkerCase{"\r\n@", false}, MarkerCase{"0FFh,000h", false},
                                         MarkerCase{"\xEF\xBC\xA0,8", false}));

// ---- Data values ----

struct ValueCase {
    const char* field;
    std::optional<int> value;
};

class DataValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(DataValueTest, ReadsLeadingHexDigitsBeforeTheSuffix) {
    const auto parsed = ParseDataValue(GetParam().field);
    const std::optional<int> value = parsed ? std::optional<int>(*parsed) : std::nullopt;
    EXPECT_EQ(value, GetParam().value) << GetParam().field;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DataValueTest,
    testing::Values(ValueCase{"000h", 0}, ValueCase{"005h", 5}, ValueCase{"00Ah", 10},
                    ValueCase{"0A5h", 165}, ValueCase{"0a5h", 165}, ValueCase{"0FFh", 255},
                    ValueCase{"FFh", 255}, ValueCase{"0A5x", 165}, ValueCase{"0A5", 10},
                    ValueCase{"h", 0}, ValueCase{"xyz", 0}, ValueCase{"0G5h", 0},
                    ValueCase{"  0A5h", 165}, ValueCase{"0FF h", 255},
                    ValueCase{"000000000000000000000FFh", 255}, ValueCase{"", {}},
                    ValueCase{"100h", {}}, ValueCase{"1FFh", {}}, ValueCase{"FFFFh", {}},
                    ValueCase{"00000000000000000000FFFFh", {}},
                    ValueCase{"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFh", {}}));

// ---- Values per row ----

struct PerRowCase {
    int width;
    int perValue;
    int values;
};

class ValuesPerRowTest : public testing::TestWithParam<PerRowCase> {};

TEST_P(ValuesPerRowTest, RoundsUpForPositiveWidths) {
    const auto& c = GetParam();
    EXPECT_EQ(ValuesPerRow(c.width, c.perValue), c.values) << c.width << " / " << c.perValue;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ValuesPerRowTest,
    testing::Values(PerRowCase{240, 8, 30}, PerRowCase{241, 8, 31}, PerRowCase{10, 8, 2},
                    PerRowCase{8, 8, 1}, PerRowCase{7, 8, 1}, PerRowCase{1, 8, 1},
                    PerRowCase{0, 8, 0}, PerRowCase{-7, 8, 0}, PerRowCase{-8, 8, -1},
                    PerRowCase{-17, 8, -2}, PerRowCase{16, 2, 8}, PerRowCase{16, 0, 0},
                    PerRowCase{16, -8, 0}, PerRowCase{-16, -8, 0}, PerRowCase{32767, 1, 32767},
                    PerRowCase{INT_MAX, 8, 268435456}, PerRowCase{INT_MAX, INT_MAX, 1}));

} // namespace
} // namespace vornix::image
