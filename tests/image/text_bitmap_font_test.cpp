// Text in bitmap fonts: the drawn picture against the font file read by a reader of this test's
// own, against netpbm's pbmtext, and PCF files made by bdftopcf in every layout it writes
// against the BDF they came from; damaged and hostile font files against their exact refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fonts/bitmap_font_reader.h"
#include "fonts/font_finder.h"
#include "fonts/text_render.h"
#include "image/text_support.h"
#include "support/row_name.h"

namespace vornix::fonts {
namespace {

using texttest::Rows;

const std::string kTestFont = VORNIX_TEST_DATA "/good/testbit.bdf";

// The font file as this test reads it: a glyph's box, advance and rows of '#' and '.', by code.
struct RefGlyph {
    int width = 0, height = 0, xoff = 0, yoff = 0, advance = 0;
    Rows rows;
};
struct RefFont {
    int ascent = 0, descent = 0, defaultChar = -1;
    std::map<int, RefGlyph> glyphs;
    const RefGlyph& at(char32_t c) const {
        const auto it = glyphs.find(static_cast<int>(c));
        return it != glyphs.end() ? it->second : glyphs.at(defaultChar);
    }
};

RefFont readRefFont(const std::string& path) {
    RefFont font;
    std::istringstream in(texttest::FileText(path));
    std::string word;
    int code = -1;
    RefGlyph glyph;
    while (in >> word) {
        if (word == "FONT_ASCENT") {
            in >> font.ascent;
        } else if (word == "FONT_DESCENT") {
            in >> font.descent;
        } else if (word == "DEFAULT_CHAR") {
            in >> font.defaultChar;
        } else if (word == "ENCODING") {
            in >> code;
        } else if (word == "DWIDTH") {
            in >> glyph.advance;
        } else if (word == "BBX") {
            in >> glyph.width >> glyph.height >> glyph.xoff >> glyph.yoff;
        } else if (word == "BITMAP") {
            for (int y = 0; y < glyph.height; ++y) {
                std::string hex;
                in >> hex;
                const unsigned long bits = std::stoul(hex, nullptr, 16);
                const int digits = static_cast<int>(hex.size()) * 4;
                std::string row;
                for (int x = 0; x < glyph.width; ++x) {
                    row += (bits >> (digits - 1 - x)) & 1U ? '#' : '.';
                }
                glyph.rows.push_back(row);
            }
            font.glyphs[code] = glyph;
            glyph = RefGlyph();
        }
    }
    return font;
}

const RefFont& refFont() {
    static const RefFont font = readRefFont(kTestFont);
    return font;
}

// One line as the glyphs' bitmaps placed at their advances: the pen starts at 0 on a baseline
// FONT_ASCENT rows down; the line runs from the pen's start (or ink left of it) to the pen's
// end (or ink right of it), FONT_ASCENT + FONT_DESCENT rows high.
Rows expectedLine(const std::u32string& text) {
    const RefFont& font = refFont();
    int left = 0, right = 0, pen = 0;
    for (const char32_t c : text) {
        const RefGlyph& g = font.at(c);
        left = std::min(left, pen + g.xoff);
        right = std::max(right, pen + g.xoff + g.width);
        pen += g.advance;
        left = std::min(left, pen);
        right = std::max(right, pen);
    }
    Rows rows(static_cast<std::size_t>(font.ascent + font.descent),
              std::string(static_cast<std::size_t>(right - left), '.'));
    pen = 0;
    for (const char32_t c : text) {
        const RefGlyph& g = font.at(c);
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) {
                if (g.rows[y][x] == '#') {
                    rows[font.ascent - g.yoff - g.height + y][pen + g.xoff + x - left] = '#';
                }
            }
        }
        pen += g.advance;
    }
    return rows;
}

// Lines stacked at the font's height, each placed across `width` as `align` says.
Rows expectedText(const std::vector<std::u32string>& lines, TextAlign align, int width = -1) {
    std::vector<Rows> drawn;
    int widest = 0;
    for (const auto& line : lines) {
        drawn.push_back(expectedLine(line));
        widest = std::max(widest, static_cast<int>(drawn.back()[0].size()));
    }
    if (width < 0) {
        width = widest;
    }
    Rows rows;
    for (const Rows& line : drawn) {
        const int room = width - static_cast<int>(line[0].size());
        const int x = align == TextAlign::Left ? 0 : align == TextAlign::Right ? room : room / 2;
        for (const std::string& row : line) {
            rows.push_back(std::string(x, '.') + row + std::string(width - x - row.size(), '.'));
        }
    }
    return rows;
}

std::unique_ptr<Font> openTestFont() {
    OpenedFont opened = OpenFontFile(kTestFont, 0);
    EXPECT_TRUE(opened.font) << opened.failure.message();
    return std::move(opened.font);
}

struct LayoutRow {
    std::string name;
    std::string text; // UTF-8
    std::vector<std::u32string> lines;
    TextAlign align;
    std::vector<char32_t> missing;
};

void PrintTo(const LayoutRow& row, std::ostream* out) {
    *out << row.name;
}

class BitmapTextTest : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(BitmapTextTest, GlyphBitmapsLandAtTheirAdvances) {
    const LayoutRow& row = GetParam();
    auto font = openTestFont();
    ASSERT_TRUE(font);
    const RenderedText drawn = RenderText(*font, row.text, row.align);
    ASSERT_EQ(drawn.error, FontError::None);
    EXPECT_EQ(texttest::RowsOf(drawn.picture), expectedText(row.lines, row.align));
    EXPECT_EQ(drawn.missing, row.missing);
    EXPECT_EQ(drawn.baseline, refFont().ascent);
    EXPECT_EQ(drawn.lineHeight, refFont().ascent + refFont().descent);
    EXPECT_FALSE(drawn.cut);
    // In the other picture type too, every pixel is dark or light and nothing in between.
    for (const std::uint8_t value : image::MonoFromPacked(drawn.picture).dark) {
        ASSERT_LE(value, 1);
    }
}

const LayoutRow kLayoutRows[] = {
    {"Word", "HIgl", {U"HIgl"}, TextAlign::Left, {}},
    {"AdvanceWiderThanInk", "I I!.", {U"I I!."}, TextAlign::Left, {}},
    {"InkLeftOfThePen", "jig", {U"jig"}, TextAlign::Left, {}},
    {"InkLeftInsideTheLine", "Aj", {U"Aj"}, TextAlign::Left, {}},
    {"OutsideAscii", "é→λ", {U"é→λ"}, TextAlign::Left, {}},
    {"EveryGlyph",
     " !-.12ABCHIWgijloxé→λ\uFFFD",
     {U" !-.12ABCHIWgijloxé→λ\uFFFD"},
     TextAlign::Left,
     {}},
    {"MissingDrawnAsDefault", "A中B中x", {U"A\uFFFDB\uFFFDx"}, TextAlign::Left, {U'中'}},
    {"MissingListedOnceInOrder",
     "ÄzÄy",
     {U"\uFFFD\uFFFD\uFFFD\uFFFD"},
     TextAlign::Left,
     {U'Ä', U'z', U'y'}},
    {"LinesLeft", "HIgl\nW\n\nABC", {U"HIgl", U"W", U"", U"ABC"}, TextAlign::Left, {}},
    {"LinesCentred", "HIgl\nW\nABC", {U"HIgl", U"W", U"ABC"}, TextAlign::Centre, {}},
    {"LinesRight", "jig\nx\nABC", {U"jig", U"x", U"ABC"}, TextAlign::Right, {}},
    {"CarriageReturnsDropped", "AB\r\nC", {U"AB", U"C"}, TextAlign::Left, {}},
};
INSTANTIATE_TEST_SUITE_P(Texts, BitmapTextTest, ::testing::ValuesIn(kLayoutRows),
                         vornix::test::RowName);

TEST(BitmapTextTest, FixtureHasWhatTheRowsNeed) {
    const RefFont& font = refFont();
    EXPECT_EQ(font.glyphs.size(), 22u);
    EXPECT_EQ(font.defaultChar, 0xFFFD);
    EXPECT_LT(font.glyphs.at('j').xoff, 0);
    EXPECT_LT(font.glyphs.at('g').yoff, 0);
    EXPECT_GT(font.glyphs.at('I').advance, font.glyphs.at('I').width);
    EXPECT_EQ(font.glyphs.count(U'中'), 0u);
}

// A given canvas: the text at its top, each line placed across the canvas's width.
TEST(BitmapTextTest, CanvasPlacesLinesAcrossItsWidth) {
    auto font = openTestFont();
    ASSERT_TRUE(font);
    for (const TextAlign align : {TextAlign::Left, TextAlign::Centre, TextAlign::Right}) {
        const RenderedText drawn = RenderText(*font, "HIgl\nW", align, image::PictureSize{41, 30});
        ASSERT_EQ(drawn.error, FontError::None);
        Rows expected = expectedText({U"HIgl", U"W"}, align, 41);
        expected.resize(30, std::string(41, '.'));
        EXPECT_EQ(texttest::RowsOf(drawn.picture), expected);
        EXPECT_FALSE(drawn.cut);
    }
    const RenderedText small = RenderText(*font, "HIgl", TextAlign::Left, image::PictureSize{8, 5});
    EXPECT_TRUE(small.cut);
    Rows expected = expectedLine(U"HIgl");
    expected.resize(5);
    for (std::string& row : expected) {
        row.resize(8);
    }
    EXPECT_EQ(texttest::RowsOf(small.picture), expected);
}

// pbmtext sizes a line by the font's bounding box (FONTBOUNDINGBOX 10 10 -1 -2: 8 rows above
// the baseline, 2 below) and ends the picture at the last glyph's ink; Vornix uses FONT_ASCENT
// and FONT_DESCENT (9 and 3) and the pen's end. Both start at the pen's start or the ink left
// of it. So pbmtext's picture is Vornix's seen through a window one row down (9 - 8) and as
// wide as pbmtext's, and Vornix has no ink outside that window.
class PbmtextTest : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(PbmtextTest, SameInkAsNetpbm) {
    if (std::system("command -v pbmtext >/dev/null") != 0) {
        GTEST_FAIL() << "pbmtext missing: run scripts/setup --test";
    }
    const LayoutRow& row = GetParam();
    const Rows theirs = texttest::RowsOfPbm(texttest::OutputOf(
        "printf '%s' " + texttest::Quoted(row.text) +
        " | LC_ALL=C.UTF-8 pbmtext -wchar -nomargins -font " + kTestFont + " 2>/dev/null"));
    ASSERT_FALSE(theirs.empty());
    auto font = openTestFont();
    ASSERT_TRUE(font);
    const Rows ours = texttest::RowsOf(RenderText(*font, row.text, TextAlign::Left).picture);
    const int down = refFont().ascent - 8;
    ASSERT_GE(ours.size(), theirs.size() + down);
    ASSERT_GE(ours[0].size(), theirs[0].size());
    for (std::size_t y = 0; y < ours.size(); ++y) {
        for (std::size_t x = 0; x < ours[y].size(); ++x) {
            const bool inWindow = y >= static_cast<std::size_t>(down) && y - down < theirs.size() &&
                                  x < theirs[0].size();
            const char expected = inWindow ? theirs[y - down][x] : '.';
            EXPECT_EQ(ours[y][x], expected) << "at " << x << "," << y;
        }
    }
}

const LayoutRow kPbmtextRows[] = {
    {"Word", "HIgl", {}, TextAlign::Left, {}},
    {"InkLeftOfThePen", "jig", {}, TextAlign::Left, {}},
    {"Punctuation", "AB-C. 12!", {}, TextAlign::Left, {}},
    {"OutsideAscii", "Wé→λx", {}, TextAlign::Left, {}},
    {"Spaces", "o o  o", {}, TextAlign::Left, {}},
};
INSTANTIATE_TEST_SUITE_P(Texts, PbmtextTest, ::testing::ValuesIn(kPbmtextRows),
                         vornix::test::RowName);

// bdftopcf writes PCF in any byte order, bit order, row padding and scan unit: each must read
// back glyph for glyph as the BDF it was made from, packed with gzip or not. (Its -p8 writes
// only the first row of each glyph, so rows pad to at most 4 bytes here.)
struct PcfRow {
    std::string name;
    std::string flags;
    bool gzipped;
};

void PrintTo(const PcfRow& row, std::ostream* out) {
    *out << row.name;
}

class PcfTest : public ::testing::TestWithParam<PcfRow> {};

bool sameGlyph(const Glyph& a, const Glyph& b) {
    return a.width == b.width && a.height == b.height && a.left == b.left && a.top == b.top &&
           a.advance == b.advance && a.bits == b.bits;
}

TEST_P(PcfTest, ReadsAsTheBdf) {
    if (std::system("command -v bdftopcf >/dev/null") != 0) {
        GTEST_FAIL() << "bdftopcf missing: run scripts/setup --test";
    }
    const PcfRow& row = GetParam();
    const std::string pcf = texttest::OutputOf("bdftopcf " + row.flags + " " + kTestFont +
                                               (row.gzipped ? " | gzip -c" : ""));
    ASSERT_GT(pcf.size(), 100u);
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(pcf.data()), pcf.size());
    BitmapFontResult fromPcf = ReadPcf(bytes);
    ASSERT_EQ(fromPcf.error, FontError::None);
    const std::string bdf = texttest::FileText(kTestFont);
    BitmapFontResult fromBdf =
        ReadBdf(std::span(reinterpret_cast<const std::uint8_t*>(bdf.data()), bdf.size()));
    ASSERT_EQ(fromBdf.error, FontError::None);
    EXPECT_EQ(fromPcf.font->glyphCount(), fromBdf.font->glyphCount());
    EXPECT_EQ(fromPcf.font->metrics().ascent, 9);
    EXPECT_EQ(fromPcf.font->metrics().descent, 3);
    EXPECT_EQ(fromPcf.font->name(), "Testbit");
    EXPECT_EQ(fromPcf.font->pixelSize(), 12);
    for (const auto& [code, ref] : refFont().glyphs) {
        const Glyph* a = fromPcf.font->glyph(static_cast<char32_t>(code));
        const Glyph* b = fromBdf.font->glyph(static_cast<char32_t>(code));
        ASSERT_TRUE(a && b) << code;
        EXPECT_TRUE(sameGlyph(*a, *b))
            << "glyph " << code << ": " << a->width << "x" << a->height << " " << a->left << ","
            << a->top << " +" << a->advance << " " << testing::PrintToString(a->bits) << " vs "
            << b->width << "x" << b->height << " " << b->left << "," << b->top << " +" << b->advance
            << " " << testing::PrintToString(b->bits);
    }
    EXPECT_TRUE(sameGlyph(fromPcf.font->missingGlyph(), *fromBdf.font->glyph(0xFFFD)));
}

const PcfRow kPcfRows[] = {
    {"Default", "", false},
    {"Gzipped", "", true},
    {"PadOneByte", "-p1", false},
    {"PadTwoBytes", "-p2", false},
    {"PadFourBytesUnitFour", "-p4 -u4", true},
    {"LittleEndianUnitTwo", "-l -L -u2", false},
    {"LsbBitsMsbBytesUnitFour", "-l -M -u4 -p4", false},
    {"MsbBitsLsbBytesUnitFour", "-m -L -u4 -p4", false},
    {"MsbBitsLsbBytesUnitTwo", "-m -L -u2 -p2", true},
};
INSTANTIATE_TEST_SUITE_P(Layouts, PcfTest, ::testing::ValuesIn(kPcfRows), vornix::test::RowName);

// Damaged and hostile files: each refused with its own reason, none read past its end (the
// sanitizers watch), none allowed to ask for an absurd amount of memory.
struct HostileRow {
    std::string name;
    std::string from; // a line of the test font ...
    std::string to;   // ... replaced by this
    FontError expected;
};

void PrintTo(const HostileRow& row, std::ostream* out) {
    *out << row.name;
}

class HostileBdfTest : public ::testing::TestWithParam<HostileRow> {};

TEST_P(HostileBdfTest, RefusedWithItsReason) {
    const HostileRow& row = GetParam();
    std::string text = texttest::FileText(kTestFont);
    const std::size_t at = text.find(row.from);
    ASSERT_NE(at, std::string::npos) << row.from;
    text.replace(at, row.from.size(), row.to);
    const BitmapFontResult read =
        ReadBdf(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    EXPECT_EQ(read.error, row.expected);
    EXPECT_EQ(read.font, nullptr);
}

const HostileRow kHostileBdfRows[] = {
    {"NotAFont", "STARTFONT 2.1", "P4 1 1", FontError::BadFont},
    {"HugeBox", "BBX 5 7 0 0", "BBX 50000 50000 0 0", FontError::AbsurdGlyph},
    {"NegativeWidth", "BBX 5 7 0 0", "BBX -5 7 0 0", FontError::AbsurdGlyph},
    {"NegativeHeight", "BBX 5 7 0 0", "BBX 5 -7 0 0", FontError::AbsurdGlyph},
    {"OffsetBeyondInt", "BBX 5 7 0 0", "BBX 5 7 0 99999999999999999999", FontError::AbsurdGlyph},
    {"HugeFontBox", "FONTBOUNDINGBOX 10 10 -1 -2", "FONTBOUNDINGBOX 10 2000000 -1 -2",
     FontError::AbsurdGlyph},
    {"HugeAdvance", "DWIDTH 7 0", "DWIDTH 700000000 0", FontError::AbsurdGlyph},
    {"NoLineHeight", "FONT_ASCENT 9", "FONT_ASCENT -3", FontError::AbsurdGlyph},
    {"TooManyGlyphs", "CHARS 22", "CHARS 4000000000", FontError::TooManyGlyphs},
    {"CodeBeyondUnicode", "ENCODING 65\n", "ENCODING 1114112\n", FontError::BadFont},
    {"NotHex", "\n70\n", "\nZZ\n", FontError::BadFont},
    {"RowTooShort", "\nFE\n", "\nF\n", FontError::BadFont},
    {"RowsMissing", "FE\nENDCHAR", "ENDCHAR", FontError::BadFont},
    {"NoBitmap", "BITMAP\n00\n", "", FontError::BadFont},
    {"NoEnd", "ENDFONT\n", "", FontError::Truncated},
};
INSTANTIATE_TEST_SUITE_P(Files, HostileBdfTest, ::testing::ValuesIn(kHostileBdfRows),
                         vornix::test::RowName);

std::string bdftopcf(const std::string& flags) {
    return texttest::OutputOf("bdftopcf " + flags + " " + kTestFont);
}

std::span<const std::uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

void putLittle32(std::string& s, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        s[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// Every cut of a font file is refused, whatever its kind.
TEST(HostileFontTest, EveryCutIsRefused) {
    const std::string bdf = texttest::FileText(kTestFont);
    const std::string pcf = bdftopcf("");
    const std::string gz = texttest::OutputOf("bdftopcf " + kTestFont + " | gzip -c");
    ASSERT_GT(pcf.size(), 100u);
    for (std::size_t size = 0; size < bdf.size() - 8; size += 7) {
        EXPECT_NE(ReadBdf(bytesOf(bdf.substr(0, size))).error, FontError::None) << size;
    }
    for (std::size_t size = 0; size < pcf.size(); size += 3) {
        const FontError error = ReadPcf(bytesOf(pcf.substr(0, size))).error;
        // A cut inside the last table's padding still holds the whole font.
        if (size < pcf.size() - 32) {
            EXPECT_NE(error, FontError::None) << size;
        }
    }
    for (std::size_t size = 2; size < gz.size(); size += 5) {
        EXPECT_EQ(ReadPcf(bytesOf(gz.substr(0, size))).error, FontError::BadCompression) << size;
    }
}

TEST(HostileFontTest, DamagedPcfTablesAreRefused) {
    const std::string pcf = bdftopcf("");
    ASSERT_GT(pcf.size(), 100u);
    struct Damage {
        const char* name;
        std::size_t at;
        std::uint32_t value;
        FontError expected;
    };
    const Damage damages[] = {
        {"table count", 4, 0xFFFFFFFF, FontError::BadFont},
        {"no tables", 4, 0, FontError::BadFont},
        {"first table beyond the end", 8 + 12, 0x7FFFFFF0, FontError::Truncated},
        {"first table's size beyond the end", 8 + 8, 0xFFFFFFF0, FontError::None},
    };
    for (const Damage& damage : damages) {
        std::string bad = pcf;
        putLittle32(bad, damage.at, damage.value);
        EXPECT_EQ(ReadPcf(bytesOf(bad)).error, damage.expected) << damage.name;
    }
    // Flipped bytes anywhere: any outcome but a read outside the file or a crash.
    std::srand(20);
    for (int i = 0; i < 2000; ++i) {
        std::string bad = pcf;
        for (int k = 0; k < 4; ++k) {
            bad[static_cast<std::size_t>(std::rand()) % bad.size()] ^=
                static_cast<char>(1 + std::rand() % 255);
        }
        const BitmapFontResult read = ReadPcf(bytesOf(bad));
        EXPECT_EQ(read.font == nullptr, read.error != FontError::None);
    }
}

// A file whose every code point draws one glyph: the glyph is held once, so a small file cannot
// make the reader hold a large bitmap tens of thousands of times.
TEST(HostileFontTest, SharedGlyphIsHeldOnce) {
    std::string pcf = bdftopcf("-M");
    ASSERT_GT(pcf.size(), 100u);
    const auto little = [&pcf](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(pcf[at])) |
               static_cast<std::size_t>(static_cast<unsigned char>(pcf[at + 1])) << 8 |
               static_cast<std::size_t>(static_cast<unsigned char>(pcf[at + 2])) << 16;
    };
    std::size_t encodings = 0, size = 0;
    for (std::size_t entry = 8; entry < 8 + 16 * little(4); entry += 16) {
        if (little(entry) == 0x20) {
            size = little(entry + 8);
            encodings = little(entry + 12);
        }
    }
    ASSERT_GT(size, 20000u);
    // Big-endian (-M) 16-bit glyph numbers after the table's 14 bytes of header: all glyph 3.
    for (std::size_t at = encodings + 14; at + 1 < encodings + size; at += 2) {
        pcf[at] = 0;
        pcf[at + 1] = 3;
    }
    const BitmapFontResult read = ReadPcf(bytesOf(pcf));
    ASSERT_EQ(read.error, FontError::None);
    EXPECT_GT(read.font->glyphCount(), 10000u);
    EXPECT_EQ(read.font->glyph(U'A'), read.font->glyph(U'\u2192'));
    EXPECT_EQ(read.font->glyph(U'A'), read.font->glyph(U'\u5050'));
}

TEST(HostileFontTest, CompressedBombIsRefused) {
    // 80 MiB of zeros packed into about 80 KB: more than any font unpacks to.
    const std::string bomb = texttest::OutputOf("head -c 83886080 /dev/zero | gzip -1 -c");
    ASSERT_GT(bomb.size(), 1000u);
    EXPECT_EQ(ReadPcf(bytesOf(bomb)).error, FontError::FileTooLarge);
}

TEST(HostileFontTest, FilesThatAreNoFontFiles) {
    // A file larger than any font, refused from its size before a byte is read.
    const std::string huge = ::testing::TempDir() + "huge_font.bdf";
    { std::ofstream(huge) << "STARTFONT 2.1\n"; }
    std::filesystem::resize_file(huge, kMaxFontFileBytes + 1);
    const struct {
        std::string path;
        FontError expected;
    } rows[] = {
        {"/dev/zero", FontError::FileUnreadable},
        {"/no/such/font.bdf", FontError::FileUnreadable},
        {VORNIX_TEST_DATA "/good", FontError::FileUnreadable},
        {VORNIX_TEST_DATA "/good/example_10x2.bmp", FontError::BadFont},
        {VORNIX_TEST_DATA "/bad/empty.bmp", FontError::BadFont},
        {huge, FontError::FileTooLarge},
    };
    for (const auto& row : rows) {
        const OpenedFont opened = OpenFontFile(row.path, 12);
        EXPECT_EQ(opened.failure.error, row.expected) << row.path;
        EXPECT_EQ(opened.font, nullptr);
        EXPECT_NE(opened.failure.message().find(row.path), std::string::npos);
    }
    std::filesystem::remove(huge);
}

TEST(TextRefusalTest, BadTextAndTooLargePictures) {
    auto font = openTestFont();
    ASSERT_TRUE(font);
    for (const std::string text :
         {"\xff", "A\xc3", "\xed\xa0\x80", "\xc0\xaf", "\xf4\x90\x80\x80"}) {
        const RenderedText drawn = RenderText(*font, text, TextAlign::Left);
        EXPECT_EQ(drawn.error, FontError::NotUtf8);
        EXPECT_TRUE(drawn.picture.empty());
    }
    // 'W' advances 10 pixels: 4000 of them are wider than any picture.
    EXPECT_EQ(RenderText(*font, std::string(4000, 'W'), TextAlign::Left).error,
              FontError::TextTooLarge);
    std::string tall;
    for (int i = 0; i < 3000; ++i) {
        tall += "A\n";
    }
    EXPECT_EQ(RenderText(*font, tall, TextAlign::Left).error, FontError::TextTooLarge);
    EXPECT_EQ(RenderText(*font, "A", TextAlign::Left, image::PictureSize{30000, 30000}).error,
              FontError::TextTooLarge);
    EXPECT_TRUE(RenderText(*font, "", TextAlign::Left).picture.empty());
}

// The default font is always there, in the size nearest the one asked for.
TEST(DefaultFontTest, NearestSizeOfTheFixedFont) {
    const struct {
        int asked;
        int drawn;
    } rows[] = {{0, 13}, {1, 6}, {11, 10}, {13, 13}, {16, 15}, {17, 18}, {200, 20}};
    for (const auto& row : rows) {
        const OpenedFont opened = OpenDefaultFont(row.asked);
        ASSERT_TRUE(opened.font) << opened.failure.message();
        EXPECT_TRUE(opened.font->isBitmap());
        EXPECT_EQ(opened.font->pixelSize(), row.drawn) << row.asked;
        const RenderedText drawn = RenderText(*opened.font, "Ab\u00e9\u0416", TextAlign::Left);
        EXPECT_TRUE(drawn.missing.empty());
        EXPECT_FALSE(drawn.picture.empty());
    }
}

} // namespace
} // namespace vornix::fonts
