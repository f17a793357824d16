#include "image/picture/source_reader.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace vornix::image {
namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A positive side of at most 6 digits starting at `pos`; 0 when there is none.
int SideAt(std::string_view text, std::size_t& pos) {
    int value = 0;
    int digits = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        if (++digits > 6) {
            return 0;
        }
        value = value * 10 + (text[pos++] - '0');
    }
    return value;
}

// Steps through C text one token at a time, skipping blanks, comments and the insides of
// string and character literals, counting lines. Comments are kept so that a size written
// in one ("240 x 128") can be found.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    enum class Kind { End, Word, Number, Punct, Unterminated };
    struct Token {
        Kind kind = Kind::End;
        std::string_view text;
    };

    Token next() {
        for (;;) {
            if (m_pos >= m_text.size()) {
                return {Kind::End, {}};
            }
            const char c = m_text[m_pos];
            if (c == '\n') {
                ++m_line;
                ++m_pos;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_pos;
            } else if (m_text.compare(m_pos, 2, "//") == 0) {
                const std::size_t end = m_text.find('\n', m_pos);
                noteComment(m_text.substr(m_pos, end - m_pos));
                m_pos = end == std::string_view::npos ? m_text.size() : end;
            } else if (m_text.compare(m_pos, 2, "/*") == 0) {
                const std::size_t end = m_text.find("*/", m_pos + 2);
                if (end == std::string_view::npos) {
                    return {Kind::Unterminated, {}};
                }
                const std::string_view comment = m_text.substr(m_pos, end + 2 - m_pos);
                noteComment(comment);
                m_line += static_cast<std::size_t>(std::count(comment.begin(), comment.end(), '\n'));
                m_pos = end + 2;
            } else if (c == '"' || c == '\'') {
                if (!skipQuoted(c)) {
                    return {Kind::Unterminated, {}};
                }
            } else if (IsWordChar(c)) {
                const std::size_t start = m_pos;
                while (m_pos < m_text.size() && IsWordChar(m_text[m_pos])) {
                    ++m_pos;
                }
                const std::string_view word = m_text.substr(start, m_pos - start);
                const bool number = std::isdigit(static_cast<unsigned char>(word.front()));
                return {number ? Kind::Number : Kind::Word, word};
            } else {
                return {Kind::Punct, m_text.substr(m_pos++, 1)};
            }
        }
    }

    std::size_t line() const { return m_line; }
    // The first "W x H" written in a comment so far.
    std::optional<std::pair<int, int>> commentSize() const { return m_commentSize; }

private:
    bool skipQuoted(char quote) {
        for (++m_pos; m_pos < m_text.size(); ++m_pos) {
            if (m_text[m_pos] == '\\') {
                ++m_pos;
            } else if (m_text[m_pos] == quote) {
                ++m_pos;
                return true;
            } else if (m_text[m_pos] == '\n') {
                return false;
            }
        }
        return false;
    }

    void noteComment(std::string_view comment) {
        if (m_commentSize) {
            return;
        }
        for (std::size_t i = 0; i < comment.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(comment[i])) ||
                (i > 0 && std::isdigit(static_cast<unsigned char>(comment[i - 1])))) {
                continue;
            }
            std::size_t pos = i;
            const int w = SideAt(comment, pos);
            while (pos < comment.size() && comment[pos] == ' ') {
                ++pos;
            }
            if (pos >= comment.size() || (comment[pos] != 'x' && comment[pos] != 'X')) {
                continue;
            }
            ++pos;
            while (pos < comment.size() && comment[pos] == ' ') {
                ++pos;
            }
            const int h = SideAt(comment, pos);
            if (w > 0 && h > 0) {
                m_commentSize = std::make_pair(w, h);
                return;
            }
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
    std::optional<std::pair<int, int>> m_commentSize;
};

// The value of a C integer literal that fits a byte's range check: -1 for a malformed literal,
// 256 for any value above 255.
int LiteralValue(std::string_view literal) {
    while (!literal.empty() && (literal.back() == 'u' || literal.back() == 'U' ||
                                literal.back() == 'l' || literal.back() == 'L')) {
        literal.remove_suffix(1);
    }
    int base = 10;
    if (literal.size() > 1 && literal[0] == '0' && (literal[1] == 'x' || literal[1] == 'X')) {
        base = 16;
        literal.remove_prefix(2);
    } else if (literal.size() > 1 && literal[0] == '0' && (literal[1] == 'b' || literal[1] == 'B')) {
        base = 2;
        literal.remove_prefix(2);
    } else if (literal.size() > 1 && literal[0] == '0') {
        base = 8;
        literal.remove_prefix(1);
    }
    if (literal.empty()) {
        return -1;
    }
    int value = 0;
    for (const char c : literal) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return -1;
        }
        if (digit >= base) {
            return -1;
        }
        value = std::min(value * base + digit, 256);
    }
    return value;
}

// A constant that may give a side: "#define X 240", "X = 240".
struct SizeConstant {
    std::string name; // lower case
    int value;
};

// The side named `side` ("width" or "height"): a constant under the array's own name first
// ("clock_width" for "clock" or "clock_bits"), then any constant whose name ends in the side.
std::optional<int> SideFrom(const std::vector<SizeConstant>& constants, std::string_view side,
                            std::string arrayName) {
    arrayName = Lower(arrayName);
    if (EndsWith(arrayName, "_bits")) {
        arrayName.resize(arrayName.size() - 5);
    }
    std::optional<int> any;
    for (const SizeConstant& constant : constants) {
        if (!EndsWith(constant.name, side)) {
            continue;
        }
        if (!arrayName.empty() && constant.name.rfind(arrayName, 0) == 0) {
            return constant.value;
        }
        if (!any) {
            any = constant.value;
        }
    }
    return any;
}

} // namespace

std::string_view describe(SourceReadError error) {
    switch (error) {
    case SourceReadError::None:
        return "no error";
    case SourceReadError::NoArray:
        return "no array of values (\"= { ... }\") was found";
    case SourceReadError::Unterminated:
        return "the array, a comment or a string is not closed";
    case SourceReadError::BadValue:
        return "a value of the array is not a number";
    case SourceReadError::NotAByte:
        return "a value of the array is not a byte (0 to 255)";
    case SourceReadError::NoSize:
        return "the picture's width and height are not known: give them";
    case SourceReadError::CountMismatch:
        return "the number of values does not fit the picture's size and layout";
    case SourceReadError::TooLarge:
        return "the picture is too large";
    }
    return "unknown source error";
}

SourceArray ReadSourceArray(std::string_view text) {
    SourceArray result;
    Scanner scan(text);
    std::vector<SizeConstant> constants;
    std::string_view lastWord;      // the last identifier before the initializer
    std::string_view declared;      // the identifier before the last "["
    std::string_view pendingName;   // an identifier waiting for its value ("X = 240", "#define X")
    bool afterEquals = false;
    for (;;) {
        Scanner::Token token = scan.next();
        if (token.kind == Scanner::Kind::End) {
            result.error = SourceReadError::NoArray;
            return result;
        }
        if (token.kind == Scanner::Kind::Unterminated) {
            result.error = SourceReadError::Unterminated;
            return result;
        }
        if (token.kind == Scanner::Kind::Word) {
            pendingName = token.text;
            if (token.text != "define" && token.text != "const" && token.text != "static" &&
                token.text != "unsigned" && token.text != "char" && token.text != "int" &&
                token.text != "uint8_t" && token.text != "PROGMEM") {
                lastWord = token.text;
            }
            afterEquals = false;
        } else if (token.kind == Scanner::Kind::Number) {
            if (!pendingName.empty()) {
                std::size_t pos = 0;
                const int value = SideAt(token.text, pos);
                if (pos == token.text.size() && value > 0) {
                    constants.push_back({Lower(pendingName), value});
                }
            }
            pendingName = {};
            afterEquals = false;
        } else if (token.text == "=") {
            afterEquals = true;
        } else if (token.text == "{" && afterEquals) {
            break;
        } else if (token.text == "[") {
            declared = lastWord;
        } else if (token.text != "]" && token.text != "#") {
            pendingName = {};
            afterEquals = false;
        }
    }
    result.name = std::string(declared.empty() ? lastWord : declared);
    // Values: numbers separated by commas, with casts, signs and nested braces around them.
    int depth = 1;
    int parentheses = 0;
    bool expectValue = true;
    int sign = 1;
    while (depth > 0) {
        Scanner::Token token = scan.next();
        result.line = scan.line();
        switch (token.kind) {
        case Scanner::Kind::End:
        case Scanner::Kind::Unterminated:
            result.error = SourceReadError::Unterminated;
            return result;
        case Scanner::Kind::Number: {
            const int value = LiteralValue(token.text);
            if (value < 0 || !expectValue) {
                result.error = SourceReadError::BadValue;
                return result;
            }
            if (value > 255 || (sign < 0 && value != 0)) {
                result.error = SourceReadError::NotAByte;
                return result;
            }
            result.values.push_back(static_cast<std::uint8_t>(value));
            expectValue = false;
            sign = 1;
            break;
        }
        case Scanner::Kind::Word:
            // Type names inside casts: "(uint8_t)0x3F", "(unsigned char) 12".
            if (parentheses == 0) {
                result.error = SourceReadError::BadValue;
                return result;
            }
            break;
        case Scanner::Kind::Punct:
            if (token.text == "{") {
                ++depth;
            } else if (token.text == "}") {
                --depth;
                expectValue = false;
            } else if (token.text == ",") {
                expectValue = true;
            } else if (token.text == "-") {
                sign = -sign;
            } else if (token.text == "(") {
                ++parentheses;
            } else if (token.text == ")" && parentheses > 0) {
                --parentheses;
            } else if (token.text != "+") {
                result.error = SourceReadError::BadValue;
                return result;
            }
            break;
        }
    }
    result.line = 0;
    // A size under the array's own name wins over a bare WIDTH, and either over a comment.
    result.width = SideFrom(constants, "width", result.name);
    result.height = SideFrom(constants, "height", result.name);
    if ((!result.width || !result.height) && scan.commentSize()) {
        result.width = result.width ? result.width : scan.commentSize()->first;
        result.height = result.height ? result.height : scan.commentSize()->second;
    }
    return result;
}

SourcePicture ReadSourcePicture(std::string_view text, int width, int height,
                                LayoutChoice layout) {
    SourceArray array = ReadSourceArray(text);
    if (array.error != SourceReadError::None) {
        return {std::nullopt, array.error, array.line};
    }
    if (width < 1 && array.width) {
        width = *array.width;
    }
    if (height < 1 && array.height) {
        height = *array.height;
    }
    if (width >= 1 && height < 1 && IsRowLayout(layout.layout)) {
        const std::size_t stride = (static_cast<std::size_t>(width) + 7) / 8;
        if (array.values.size() % stride == 0 && array.values.size() / stride <= 1U << 20) {
            height = static_cast<int>(array.values.size() / stride);
        }
    }
    if (width < 1 || height < 1) {
        return {std::nullopt, SourceReadError::NoSize, 0};
    }
    if (std::int64_t{width} * std::int64_t{height} > kMaxPicturePixels) {
        return {std::nullopt, SourceReadError::TooLarge, 0};
    }
    std::optional<PackedPicture> picture = UnpackLayout(array.values, width, height, layout);
    if (!picture) {
        return {std::nullopt, SourceReadError::CountMismatch, 0};
    }
    return {std::move(picture), SourceReadError::None, 0};
}

namespace {

PanelPictureRead FromSource(const SourcePicture& read) {
    if (!read.picture) {
        std::string reason(describe(read.error));
        if (read.line > 0) {
            reason += " (line " + std::to_string(read.line) + ")";
        }
        return {std::nullopt, reason};
    }
    return {read.picture, ""};
}

std::string_view TextOf(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

PanelPictureRead ReadCSourcePicture(std::span<const std::uint8_t> bytes,
                                    const ReadOptions& options) {
    return FromSource(
        ReadSourcePicture(TextOf(bytes), options.width, options.height, options.layout));
}

PanelPictureRead ReadXbmPicture(std::span<const std::uint8_t> bytes,
                                const ReadOptions& /*options*/) {
    return FromSource(ReadXbm(TextOf(bytes)));
}

SourcePicture ReadXbm(std::string_view text) {
    return ReadSourcePicture(text, 0, 0, {ByteLayout::RowsLowBitFirst, InkBit::Dark});
}

} // namespace vornix::image
