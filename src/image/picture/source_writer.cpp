#include "image/picture/source_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "image/picture/chunked_writer.h"
#include "image/platform/platform.h"

namespace vornix::image {
namespace {

constexpr std::array<std::string_view, 44> kKeywords = {
    "auto",     "break",  "case",     "char",     "const",    "continue", "default",  "do",
    "double",   "else",   "enum",     "extern",   "float",    "for",      "goto",     "if",
    "inline",   "int",    "long",     "register", "restrict", "return",   "short",    "signed",
    "sizeof",   "static", "struct",   "switch",   "typedef",  "union",    "unsigned", "void",
    "volatile", "while",  "bool",     "true",     "false",    "class",    "template", "this",
    "new",      "delete", "operator", "namespace"};

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Each byte's literal followed by ", ": one table lookup a value keeps the writer at memory
// speed.
struct LiteralTable {
    std::size_t width; // characters of one literal
    std::vector<char> text;

    explicit LiteralTable(Literal literal) : width(literal == Literal::Hex ? 4 : 10) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        text.resize(256 * width);
        for (unsigned value = 0; value < 256; ++value) {
            char* out = text.data() + value * width;
            *out++ = '0';
            if (literal == Literal::Hex) {
                *out++ = 'x';
                *out++ = kHex[value >> 4];
                *out = kHex[value & 15];
            } else {
                *out++ = 'b';
                for (int bit = 7; bit >= 0; --bit) {
                    *out++ = (value >> bit) & 1U ? '1' : '0';
                }
            }
        }
    }
    std::string_view of(std::uint8_t value) const {
        return {text.data() + std::size_t{value} * width, width};
    }
};

std::string Upper(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

std::string InkText(const LayoutChoice& choice) {
    return choice.ink == InkBit::Dark ? "set = dark" : "set = light";
}

void DrawRow(const PackedPicture& picture, int y, ChunkedWriter& out) {
    char* line = out.extend(static_cast<std::size_t>(picture.width()));
    for (int x = 0; x < picture.width(); ++x) {
        line[x] = picture.isDark(x, y) ? '#' : '.';
    }
}

// Fills `n` values followed by ", " each, `Width` characters a literal: a copy of a constant
// size per value, which the compiler turns into a few stores.
template <std::size_t Width>
char* FillValues(char* at, const std::uint8_t* bytes, std::size_t n, const LiteralTable& literals) {
    for (std::size_t i = 0; i < n; ++i) {
        std::memcpy(at, literals.text.data() + std::size_t{bytes[i]} * Width, Width);
        at[Width] = ',';
        at[Width + 1] = ' ';
        at += Width + 2;
    }
    return at;
}

// Writes `bytes` as lines of values, `perLine` a line, each line indented by four blanks; a
// comma after every value but the very last of the array. A line is filled in one piece from
// the literal table, which keeps the writer at memory speed.
void WriteValues(const std::uint8_t* bytes, std::size_t count, bool lastOfArray,
                 const LiteralTable& literals, int perLine, ChunkedWriter& out) {
    const std::size_t width = literals.width;
    for (std::size_t first = 0; first < count; first += static_cast<std::size_t>(perLine)) {
        const std::size_t n = std::min(count - first, static_cast<std::size_t>(perLine));
        const bool closes = lastOfArray && first + n == count;
        const std::size_t size = 4 + n * (width + 2) - (closes ? 1 : 0);
        char* line = out.extend(size);
        std::memcpy(line, "    ", 4);
        char* at = width == 4 ? FillValues<4>(line + 4, bytes + first, n, literals)
                              : FillValues<10>(line + 4, bytes + first, n, literals);
        if (closes) {
            at[-2] = '\n'; // no comma after the last value
        } else {
            at[-1] = '\n';
        }
    }
}

// "static const TEXT PLACEMENT", as the options ask.
std::string Declaration(const SourceOptions& options, const std::string& text) {
    std::string declaration = options.isStatic ? "static " : "";
    declaration += options.isConst ? "const " : "";
    declaration += text;
    if (!options.placement.empty()) {
        declaration += " " + options.placement;
    }
    return declaration;
}

} // namespace

bool IsIdentifier(std::string_view name) {
    if (name.empty() || !IsLetter(name.front())) {
        return false;
    }
    if (std::find(kKeywords.begin(), kKeywords.end(), name) != kKeywords.end()) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) { return IsLetter(c) || IsDigit(c); });
}

std::string IdentifierFrom(std::string_view fileName) {
    fileName.remove_prefix(platform::FolderLength(fileName));
    const std::size_t dot = fileName.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) {
        fileName = fileName.substr(0, dot);
    }
    std::string name;
    for (const char c : fileName) {
        name += IsLetter(c) || IsDigit(c) ? c : '_';
    }
    if (name.empty()) {
        return "picture";
    }
    if (IsDigit(name.front())) {
        name.insert(name.begin(), '_');
    }
    if (std::find(kKeywords.begin(), kKeywords.end(), name) != kKeywords.end()) {
        name += '_';
    }
    return name;
}

namespace {

bool Writable(const PackedPicture& picture, const SourceOptions& options) {
    return !picture.empty() && IsIdentifier(options.name) && options.valuesPerLine >= 1 &&
           options.valuesPerLine <= kMaxValuesPerLine &&
           options.placement.find_first_of("\r\n") == std::string::npos;
}

// The comment, the two size macros and the array of one picture.
void WriteArray(const PackedPicture& picture, const SourceOptions& options, ChunkedWriter& out) {
    const LayoutChoice choice = options.layout;
    const std::vector<std::uint8_t> bytes = PackLayout(picture, choice);
    const LiteralTable literals(options.literal);
    const std::string width = std::to_string(picture.width());
    const std::string height = std::to_string(picture.height());
    const std::string count = std::to_string(bytes.size());
    out.append("/* " + options.name + ": " + width + " x " + height + " pixels, " +
               std::string(ByteLayoutName(choice.layout)) + ", " + InkText(choice) + ", " + count +
               " bytes */\n");
    if (PadsRows(choice.layout, picture.height())) {
        out.append("/* the last group of 8 rows is filled up with " +
                   std::to_string(8 - picture.height() % 8) + " rows of clear bits */\n");
    }
    const std::string upper = Upper(options.name);
    out.append("#define " + upper + "_WIDTH " + width + "\n");
    out.append("#define " + upper + "_HEIGHT " + height + "\n");
    const bool rowComments = options.drawPixels && IsRowLayout(choice.layout);
    if (options.drawPixels && !rowComments) {
        out.append("/*\n");
        for (int y = 0; y < picture.height(); ++y) {
            out.append(" * ");
            DrawRow(picture, y, out);
            out.append("\n");
        }
        out.append(" */\n");
    }
    out.append(Declaration(options, "unsigned char " + options.name + "[" + count + "]") +
               " = {\n");
    if (rowComments) {
        const std::size_t stride = picture.stride();
        for (int y = 0; y < picture.height(); ++y) {
            out.append("    /* ");
            DrawRow(picture, y, out);
            out.append(" */\n");
            const bool lastRow = y + 1 == picture.height();
            WriteValues(bytes.data() + static_cast<std::size_t>(y) * stride, stride, lastRow,
                        literals, options.valuesPerLine, out);
        }
    } else {
        WriteValues(bytes.data(), bytes.size(), true, literals, options.valuesPerLine, out);
    }
    out.append("};\n");
}

} // namespace

bool WriteCSource(const PackedPicture& picture, const SourceOptions& options, ByteSink& sink) {
    if (!Writable(picture, options)) {
        return false;
    }
    ChunkedWriter out(sink, picture.bytes().size() * 14 + 512);
    WriteArray(picture, options, out);
    return out.flush();
}

bool WriteCSourceSet(std::span<const NamedPicture> pictures, const SourceOptions& options,
                     ByteSink& sink) {
    if (pictures.empty() || !IsIdentifier(options.name)) {
        return false;
    }
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        SourceOptions one = options;
        one.name = pictures[i].name;
        if (!Writable(pictures[i].picture, one) || one.name == options.name ||
            Upper(one.name) == Upper(options.name) + "_COUNT") {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (Upper(pictures[j].name) == Upper(one.name)) {
                return false; // the size macros would clash
            }
        }
        bytes += pictures[i].picture.bytes().size();
    }
    ChunkedWriter out(sink, bytes * 14 + 512 * pictures.size());
    const std::string upper = Upper(options.name);
    out.append("#ifndef " + upper + "_H\n#define " + upper + "_H\n\n");
    for (const NamedPicture& entry : pictures) {
        SourceOptions one = options;
        one.name = entry.name;
        WriteArray(entry.picture, one, out);
        out.append("\n");
    }
    const std::string type = options.name + "_picture";
    out.append("typedef struct {\n    const unsigned char* bits;\n    unsigned short width;\n"
               "    unsigned short height;\n} " +
               type + ";\n\n");
    out.append("#define " + upper + "_COUNT " + std::to_string(pictures.size()) + "\n");
    SourceOptions table = options;
    table.placement.clear(); // the table of pointers lives where the compiler puts data
    out.append(Declaration(table, type + " " + options.name + "[" + upper + "_COUNT]") + " = {\n");
    for (const NamedPicture& entry : pictures) {
        const std::string name = Upper(entry.name);
        out.append("    {" + entry.name + ", " + name + "_WIDTH, " + name + "_HEIGHT},\n");
    }
    out.append("};\n\n#endif\n");
    return out.flush();
}

bool WriteCSourcePicture(const PackedPicture& picture, const SourceOptions& options,
                         ByteSink& sink) {
    return WriteCSource(picture, options, sink);
}

bool WriteXbmPicture(const PackedPicture& picture, const SourceOptions& options, ByteSink& sink) {
    return WriteXbm(picture, options.name, sink);
}

bool WriteXbm(const PackedPicture& picture, std::string_view name, ByteSink& sink) {
    if (picture.empty() || !IsIdentifier(name)) {
        return false;
    }
    const std::vector<std::uint8_t> bytes =
        PackLayout(picture, {ByteLayout::RowsLowBitFirst, InkBit::Dark});
    const LiteralTable literals(Literal::Hex);
    ChunkedWriter out(sink, bytes.size() * 6 + 256);
    const std::string prefix(name);
    out.append("#define " + prefix + "_width " + std::to_string(picture.width()) + "\n");
    out.append("#define " + prefix + "_height " + std::to_string(picture.height()) + "\n");
    out.append("static unsigned char " + prefix + "_bits[] = {\n");
    WriteValues(bytes.data(), bytes.size(), true, literals, 12, out);
    out.append("};\n");
    return out.flush();
}

} // namespace vornix::image
