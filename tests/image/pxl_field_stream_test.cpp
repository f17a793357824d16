// Text read in pieces must give exactly what the whole text gives: the whole-text reader and
// the whole-text conversion are the reference here.
#include "image/picture/pxl_field_stream.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/picture/encode_bmp.h"
#include "image_test_support.h"

namespace vornix::image {
namespace {

// Serves a text in pieces of at most `piece` bytes.
class PieceSource : public PxlTextSource {
public:
    PieceSource(std::string text, std::size_t piece) : m_text(std::move(text)), m_piece(piece) {}
    std::size_t read(char* into, std::size_t room) override {
        const std::size_t n = std::min({room, m_piece, m_text.size() - m_pos});
        std::copy_n(m_text.data() + m_pos, n, into);
        m_pos += n;
        return n;
    }

private:
    std::string m_text;
    std::size_t m_piece;
    std::size_t m_pos = 0;
};

std::vector<std::string> wholeTextFields(const std::string& text) {
    PxlFieldReader reader(text);
    std::vector<std::string> fields;
    while (const auto field = reader.next()) {
        fields.emplace_back(*field);
    }
    return fields;
}

std::vector<std::string> streamedFields(const std::string& text, std::size_t piece,
                                        std::size_t block) {
    PieceSource source(text, piece);
    PxlFieldStream stream(source, block);
    std::vector<std::string> fields;
    while (const auto field = stream.next()) {
        fields.emplace_back(*field);
    }
    return fields;
}

// Texts made of the characters that matter to the reader: delimiters, blanks, a CR that may or
// may not be followed by LF, field characters.
std::vector<std::string> trickyTexts() {
    std::vector<std::string> texts = {"",
                                      "@",
                                      "@\r",
                                      "a\r\nb",
                                      "\r\r\n",
                                      ", ,",
                                      "   ",
                                      "a,",
                                      "a,\r\n",
                                      " a ,b \r",
                                      "\n\n\r\r",
                                      "0FFh,",
                                      "@,8,1,8\r\n0A5h\r\n"};
    // Random runs of tokens, so that values in the usual form, near misses of it and every
    // delimiter meet at every position.
    const std::vector<std::string> tokens = {"0FFh", "0A5h", "0a5h", "00h",  "0FF",  "1FFh", "0F h",
                                             "0FF ", "@",    "h",    "0",    ",",    ",",    "\r",
                                             "\n",   " ",    "\t",   "\r\n", "0FFh,"};
    std::mt19937 random(20240607);
    for (int i = 0; i < 400; ++i) {
        std::string text;
        for (int n = static_cast<int>(random() % 30); n > 0; --n) {
            text += tokens[random() % tokens.size()];
        }
        texts.push_back(text);
    }
    return texts;
}

using Status = DataValueRead::Status;

// Each field of the text read with ParseDataValue: the reference for nextDataValue().
std::vector<std::pair<Status, int>> parsedValues(const std::string& text) {
    std::vector<std::pair<Status, int>> values;
    for (const std::string& field : wholeTextFields(text)) {
        const auto value = ParseDataValue(field);
        values.emplace_back(field.empty() ? Status::Empty
                            : value       ? Status::Value
                                          : Status::OutOfRange,
                            value.value_or(0));
    }
    return values;
}

template <class Fields> std::vector<std::pair<Status, int>> readValues(Fields& fields) {
    std::vector<std::pair<Status, int>> values;
    for (DataValueRead read = fields.nextDataValue(); read.status != Status::End;
         read = fields.nextDataValue()) {
        values.emplace_back(read.status, read.value);
    }
    return values;
}

TEST(PxlFieldStream, ReadsDataValuesAsParseDataValueReadsTheFields) {
    for (const std::string& text : trickyTexts()) {
        const auto expected = parsedValues(text);
        PxlFieldReader whole(text);
        ASSERT_EQ(readValues(whole), expected) << "text \"" << text << "\"";
        for (const std::size_t piece : {1, 3, 1000}) {
            PieceSource source(text, piece);
            PxlFieldStream stream(source, 4);
            ASSERT_EQ(readValues(stream), expected) << "text \"" << text << "\", pieces " << piece;
        }
    }
}

TEST(PxlFieldStream, GivesTheWholeTextReadersFieldsForEveryPieceAndBlockSize) {
    for (const std::string& text : trickyTexts()) {
        const auto expected = wholeTextFields(text);
        for (const std::size_t piece : {1, 2, 3, 7, 1000}) {
            for (const std::size_t block : {1, 2, 5, 16, 65536}) {
                ASSERT_EQ(streamedFields(text, piece, block), expected)
                    << "text \"" << text << "\", pieces of " << piece << ", block " << block;
            }
        }
        PieceSource source(text, 3);
        PxlFieldStream stream(source, 2);
        EXPECT_EQ(HasPxlMarker(stream), HasPxlMarker(text)) << text;
    }
}

// A field longer than a block makes the block grow instead of being split, up to the longest
// field a PXL text may hold.
TEST(PxlFieldStream, KeepsAFieldLongerThanTheBlockWhole) {
    const std::string longValue = std::string(kMaxPxlFieldLength - 3, '0') + "FFh";
    const std::string text = "@,8,1,8\r\n" + longValue + "\r\n";
    EXPECT_EQ(streamedFields(text, 4096, 1024),
              (std::vector<std::string>{"@", "8", "1", "8", longValue}));
}

void expectSameConversion(const std::string& text, const std::string& what);

struct LongFieldCase {
    const char* name;
    std::string text;
    std::size_t fields; // fields read before the end or the malformed field
    bool malformed;
};

// Whole or in pieces, a field one character longer than the longest is malformed wherever it
// stands, and reading ends there; blanks in front of a field do not count, blanks behind it do.
TEST(PxlFieldStream, AFieldLongerThanTheLongestIsMalformedInEveryReader) {
    const std::string longest(kMaxPxlFieldLength, 'x');
    const std::string tooLong(kMaxPxlFieldLength + 1, 'x');
    const std::string blanks(10000, ' ');
    const LongFieldCase cases[] = {
        {"LongestValue", "@,8,1,8\r\n" + longest + "\r\n", 5, false},
        {"LongestAtTheEnd", "@," + longest, 2, false},
        {"LongestBeforeCrLf", "@," + longest + "\r\n", 2, false},
        {"TooLongValue", "@,8,1,8\r\n" + tooLong + "\r\n0FFh", 4, true},
        {"TooLongAtTheEnd", "@," + tooLong, 1, true},
        {"TooLongMarker", tooLong + ",8,1,8", 0, true},
        {"FiveThousandBytes", "@,8," + std::string(5000, '7') + ",8", 2, true},
        {"BlanksInFront", "@," + blanks + "8,1", 3, false},
        {"OnlyBlanksAtTheEnd", "@,8," + blanks, 2, false},
        {"BlanksBehindTheLastField", "@,8" + blanks, 1, true},
        {"BlanksBehind", "@,8" + std::string(kMaxPxlFieldLength, ' ') + ",1", 1, true},
        {"ZerosOfASparseFile", "@,8,1,8\r\n" + std::string(20000, '\0'), 4, true},
    };
    for (const LongFieldCase& c : cases) {
        PxlFieldReader whole(c.text);
        std::size_t wholeFields = 0;
        while (whole.next()) {
            ++wholeFields;
        }
        EXPECT_EQ(wholeFields, c.fields) << c.name;
        EXPECT_EQ(whole.malformed(), c.malformed) << c.name;
        const std::pair<std::size_t, std::size_t> sizes[] = {{1, 1}, {7, 100}, {4096, 65536}};
        for (const auto& [piece, block] : sizes) {
            PieceSource source(c.text, piece);
            PxlFieldStream stream(source, block);
            std::size_t fields = 0;
            while (stream.next()) {
                ++fields;
            }
            EXPECT_EQ(fields, c.fields) << c.name << ", pieces " << piece << ", block " << block;
            EXPECT_EQ(stream.malformed(), c.malformed) << c.name << ", pieces " << piece;
            EXPECT_FALSE(stream.next()) << c.name; // nothing after the malformed field
        }
        if (c.text.rfind("@", 0) == 0) {
            expectSameConversion(c.text, c.name);
        }
    }
}

void expectSameConversion(const std::string& text, const std::string& what) {
    const EncodedBmp whole = ConvertPxlToBitmap(text);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{1} << 20}) {
        PieceSource source(text, piece);
        StringSink sink;
        const EncodeResult streamed = ConvertPxlToBitmap(source, sink);
        EXPECT_EQ(streamed.outcome, whole.result.outcome) << what << ", pieces of " << piece;
        EXPECT_EQ(streamed.pxlHeader, whole.result.pxlHeader) << what;
        EXPECT_EQ(streamed.header, whole.result.header) << what;
        if (streamed.converted()) {
            EXPECT_EQ(std::vector<std::uint8_t>(sink.text().begin(), sink.text().end()),
                      whole.bytes)
                << what;
        } else {
            EXPECT_EQ(sink.text(), "") << what;
        }
    }
}

TEST(EncodeBMPFromPieces, ConvertsEveryTestFileAsTheWholeTextDoes) {
    int files = 0;
    for (const char* folder : {"good", "bad"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(VORNIX_TEST_DATA) + "/" + folder)) {
            if (entry.path().extension() == ".pxl") {
                const std::string name =
                    std::string(folder) + "/" + entry.path().filename().string();
                expectSameConversion(test::readDataText(name), name);
                ++files;
            }
        }
    }
    EXPECT_GT(files, 15);
}

TEST(EncodeBMPFromPieces, ConvertsALargePictureAsTheWholeTextDoes) {
    std::string text = "@,240,128,8\r\n";
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 30; ++x) {
            static const char kHex[] = "0123456789ABCDEF";
            const int value = (x * 7 + y * 13) & 0xFF;
            text += std::string("0") + kHex[value >> 4] + kHex[value & 15] + (x < 29 ? "h," : "h");
        }
        text += "\r\n";
    }
    expectSameConversion(text, "240 x 128");
    const std::string cut = text.substr(0, text.size() / 2);
    expectSameConversion(cut, "240 x 128 cut in half");
}

} // namespace
} // namespace vornix::image
