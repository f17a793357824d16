// Text in an outline font: every glyph that FreeType itself renders monochrome, asked here
// directly, appears at the position its advance gives, and nothing else is drawn.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include "fonts/font_finder.h"
#include "fonts/font_request.h"
#include "fonts/sfnt_cmap.h"
#include "fonts/sfnt_names.h"
#include "fonts/text_render.h"
#include "image/text_support.h"
#include "support/row_name.h"

namespace vornix::fonts {
namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// FreeType's own one-bit glyphs and metrics at one size.
class FreeTypeFace {
public:
    FreeTypeFace(const std::string& path, int pixels) {
        FT_Init_FreeType(&m_library);
        if (FT_New_Face(m_library, path.c_str(), 0, &m_face) == 0) {
            FT_Set_Pixel_Sizes(m_face, 0, static_cast<FT_UInt>(pixels));
        }
    }
    ~FreeTypeFace() {
        if (m_face != nullptr) {
            FT_Done_Face(m_face);
        }
        FT_Done_FreeType(m_library);
    }
    bool ok() const { return m_face != nullptr; }
    int ascent() const { return static_cast<int>((m_face->size->metrics.ascender + 32) >> 6); }
    int descent() const { return static_cast<int>((-m_face->size->metrics.descender + 32) >> 6); }

    // Draws the glyph of `c` into `rows` with the pen at (penX, baseline); its advance.
    int draw(char32_t c, texttest::Rows& rows, int penX, int baseline, bool& oneBit) {
        const FT_UInt index = FT_Get_Char_Index(m_face, c);
        EXPECT_EQ(FT_Load_Glyph(m_face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), 0);
        const FT_Bitmap& bitmap = m_face->glyph->bitmap;
        oneBit = oneBit && (bitmap.rows == 0 || bitmap.pixel_mode == FT_PIXEL_MODE_MONO);
        for (unsigned y = 0; y < bitmap.rows; ++y) {
            for (unsigned x = 0; x < bitmap.width; ++x) {
                const unsigned char byte = bitmap.buffer[y * bitmap.pitch + x / 8];
                if ((byte >> (7 - x % 8)) & 1U) {
                    const int px = penX + m_face->glyph->bitmap_left + static_cast<int>(x);
                    const int py = baseline - m_face->glyph->bitmap_top + static_cast<int>(y);
                    if (py < 0 || py >= static_cast<int>(rows.size()) || px < 0 ||
                        px >= static_cast<int>(rows[0].size())) {
                        ADD_FAILURE()
                            << "glyph " << static_cast<unsigned>(c) << " outside the picture";
                        continue;
                    }
                    rows[py][px] = '#';
                }
            }
        }
        return static_cast<int>((m_face->glyph->advance.x + 32) >> 6);
    }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
};

struct OutlineRow {
    std::string name;
    int pixels;
    std::u32string text; // one line, no glyph left of the pen or above the ascent
};

void PrintTo(const OutlineRow& row, std::ostream* out) {
    *out << row.name;
}

class OutlineTextTest : public ::testing::TestWithParam<OutlineRow> {};

TEST_P(OutlineTextTest, FreeTypesGlyphsAtTheirAdvances) {
    ASSERT_TRUE(std::filesystem::exists(kDejaVu)) << "run scripts/setup --test (fonts-dejavu-core)";
    const OutlineRow& row = GetParam();
    OpenedFont opened = OpenFontFile(kDejaVu, row.pixels);
    ASSERT_TRUE(opened.font) << opened.failure.message();
    EXPECT_FALSE(opened.font->isBitmap());
    EXPECT_EQ(opened.font->name(), "DejaVu Sans");

    std::string utf8;
    for (const char32_t c : row.text) {
        // The rows hold characters up to U+FFFF.
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    const RenderedText drawn = RenderText(*opened.font, utf8, TextAlign::Left);
    ASSERT_EQ(drawn.error, FontError::None);
    EXPECT_TRUE(drawn.missing.empty());

    FreeTypeFace face(kDejaVu, row.pixels);
    ASSERT_TRUE(face.ok());
    EXPECT_EQ(drawn.baseline, face.ascent());
    EXPECT_EQ(drawn.lineHeight, face.ascent() + face.descent());
    const texttest::Rows ours = texttest::RowsOf(drawn.picture);
    ASSERT_FALSE(ours.empty());
    texttest::Rows expected(ours.size(), std::string(ours[0].size(), '.'));
    int pen = 0;
    bool oneBit = true;
    for (const char32_t c : row.text) {
        pen += face.draw(c, expected, pen, face.ascent(), oneBit);
    }
    EXPECT_TRUE(oneBit);
    for (const std::uint8_t value : image::MonoFromPacked(drawn.picture).dark) {
        ASSERT_LE(value, 1);
    }
    EXPECT_EQ(static_cast<int>(ours[0].size()), pen); // the line ends at the pen's end
    EXPECT_EQ(ours, expected);
}

const OutlineRow kOutlineRows[] = {
    {"Small", 9, U"Hamburgefonstiv"}, {"Medium", 13, U"The quick brown fox, 1234567890."},
    {"Large", 24, U"Wavy Text"},      {"Accents", 16, U"Ça va? Über straße"},
    {"Greek", 15, U"λόγος"},          {"Cyrillic", 20, U"Жук"},
    {"Arrows", 12, U"A\u2192B"},
};
INSTANTIATE_TEST_SUITE_P(Sizes, OutlineTextTest, ::testing::ValuesIn(kOutlineRows),
                         vornix::test::RowName);

// A character the font lacks comes out as the font's own missing glyph and is reported.
TEST(OutlineTextTest, MissingGlyphReported) {
    OpenedFont opened = OpenFontFile(kDejaVu, 14);
    ASSERT_TRUE(opened.font) << opened.failure.message();
    const RenderedText drawn = RenderText(*opened.font, "A\xe4\xb8\xad", TextAlign::Left);
    ASSERT_EQ(drawn.error, FontError::None);
    EXPECT_EQ(drawn.missing, std::vector<char32_t>{U'\u4E2D'});
    const RenderedText alone = RenderText(*opened.font, "A", TextAlign::Left);
    EXPECT_GT(drawn.picture.width(), alone.picture.width());
}

// Fonts by family name through fontconfig; a name no font has is refused, not replaced.
TEST(FontLookupTest, FamilyNames) {
    const struct {
        std::string name;
        FontError expected;
        std::string family;
    } rows[] = {
        {"DejaVu Sans", FontError::None, "DejaVu Sans"},
        {"dejavu sans", FontError::None, "DejaVu Sans"},
        {"sans-serif", FontError::None, ""},
        {"No Such Family Anywhere", FontError::NoSuchFont, ""},
        {kDejaVu, FontError::None, "DejaVu Sans"},
        {"", FontError::None, ""},
    };
    for (const auto& row : rows) {
        const OpenedFont opened = OpenFont(row.name, 12);
        EXPECT_EQ(opened.failure.error, row.expected) << row.name;
        if (!row.family.empty() && opened.font) {
            EXPECT_EQ(opened.font->name(), row.family);
        }
    }
    EXPECT_EQ(OpenFont("DejaVu Sans", 1001).failure.error, FontError::BadPixelSize);
    EXPECT_EQ(OpenFont("DejaVu Sans", -1).failure.error, FontError::BadPixelSize);
    ReleaseFontLookup();
}

// A font name means the same family and style on every system: the family before the first
// colon, fontconfig's style words after it.
TEST(FontNameTest, FamilyAndStyle) {
    using Kind = FontRequest::Kind;
    const struct {
        std::string name;
        std::string family;
        int weight;
        bool italic;
        bool generic;
        Kind kind;
    } rows[] = {
        {"DejaVu Sans", "DejaVu Sans", 400, false, false, Kind::Any},
        {"DejaVu Sans:bold", "DejaVu Sans", 700, false, false, Kind::Any},
        {"Courier New:Bold:Italic", "Courier New", 700, true, false, Kind::Any},
        {"Arial:style=Bold Oblique", "Arial", 700, true, false, Kind::Any},
        {"Arial:style=Semi Bold", "Arial", 600, false, false, Kind::Any},
        {"Arial:style=Extra Light Italic", "Arial", 200, true, false, Kind::Any},
        {"Arial:weight=light:slant=italic", "Arial", 300, true, false, Kind::Any},
        {"Arial:pixelsize=40:antialias=false", "Arial", 400, false, false, Kind::Any},
        {"DejaVu Sans-12:bold", "DejaVu Sans", 700, false, false, Kind::Any},
        {"First,Second:italic", "First", 400, true, false, Kind::Any},
        {"Odd\\:Name\\-Font", "Odd:Name-Font", 400, false, false, Kind::Any},
        {"  Padded  ", "Padded", 400, false, false, Kind::Any},
        {"monospace", "monospace", 400, false, true, Kind::Mono},
        {"Sans-Serif:bold", "Sans", 700, false, true, Kind::Sans},
        {"serif", "serif", 400, false, true, Kind::Serif},
        {":bold", "", 700, false, false, Kind::Any},
        {"", "", 400, false, false, Kind::Any},
        {"Trailing\\", "Trailing\\", 400, false, false, Kind::Any},
    };
    for (const auto& row : rows) {
        const FontRequest request = ParseFontName(row.name);
        EXPECT_EQ(request.family, row.family) << row.name;
        EXPECT_EQ(request.weight, row.weight) << row.name;
        EXPECT_EQ(request.italic, row.italic) << row.name;
        EXPECT_EQ(request.generic, row.generic) << row.name;
        EXPECT_EQ(request.kind, row.kind) << row.name;
    }
}

std::vector<std::uint8_t> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The Windows English name of `id` in the file's naming table, as FreeType reads it (ASCII
// names only, as DejaVu's are).
std::string freeTypeName(FT_Face face, FT_UShort id) {
    for (FT_UInt i = 0; i < FT_Get_Sfnt_Name_Count(face); ++i) {
        FT_SfntName name{};
        if (FT_Get_Sfnt_Name(face, i, &name) == 0 && name.platform_id == 3 &&
            name.encoding_id == 1 && name.language_id == 0x409 && name.name_id == id) {
            std::string text;
            for (FT_UInt at = 1; at < name.string_len; at += 2) {
                text += static_cast<char>(name.string[at]);
            }
            return text;
        }
    }
    return {};
}

// The family and style every installed DejaVu file names are the ones FreeType reads there.
TEST(SfntNamesTest, SameNamesAsFreeType) {
    int files = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator("/usr/share/fonts/truetype/dejavu")) {
        const std::string path = entry.path().string();
        FT_Library library = nullptr;
        FT_Face face = nullptr;
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        ASSERT_EQ(FT_New_Face(library, path.c_str(), 0, &face), 0) << path;
        const std::optional<SfntNames> names = ReadSfntNames(bytesOf(path));
        ASSERT_TRUE(names) << path;
        EXPECT_EQ(names->family, freeTypeName(face, 1)) << path;
        EXPECT_EQ(names->style, freeTypeName(face, 2)) << path;
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        ++files;
    }
    EXPECT_GT(files, 0);
}

// A small outline font file with only a naming table: `records` are (platform, encoding,
// language, name id, text bytes).
struct NameRecord {
    std::uint16_t platform, encoding, language, id;
    std::string text;
};
std::vector<std::uint8_t> sfntWithNames(const std::vector<NameRecord>& records) {
    std::vector<std::uint8_t> out;
    const auto u16 = [&out](std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v >> 8));
        out.push_back(static_cast<std::uint8_t>(v));
    };
    const auto u32 = [&u16](std::uint32_t v) {
        u16(v >> 16);
        u16(v & 0xFFFF);
    };
    std::string strings;
    for (const NameRecord& record : records) {
        strings += record.text;
    }
    const std::uint32_t tableAt = 12 + 16;
    const std::uint32_t tableLength =
        static_cast<std::uint32_t>(6 + 12 * records.size() + strings.size());
    u32(0x00010000);
    u16(1);
    u16(16);
    u16(0);
    u16(0);
    u32(0x6E616D65);
    u32(0);
    u32(tableAt);
    u32(tableLength);
    u16(0);
    u16(static_cast<std::uint32_t>(records.size()));
    u16(static_cast<std::uint32_t>(6 + 12 * records.size()));
    std::uint32_t at = 0;
    for (const NameRecord& record : records) {
        u16(record.platform);
        u16(record.encoding);
        u16(record.language);
        u16(record.id);
        u16(static_cast<std::uint32_t>(record.text.size()));
        u16(at);
        at += static_cast<std::uint32_t>(record.text.size());
    }
    out.insert(out.end(), strings.begin(), strings.end());
    return out;
}

std::string utf16(const std::u16string& text) {
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit >> 8);
        bytes += static_cast<char>(unit & 0xFF);
    }
    return bytes;
}

// Which record names the family, and hostile files: each is refused or read within its bytes
// (AddressSanitizer watches every read).
TEST(SfntNamesTest, PreferredRecordsAndHostileTables) {
    const struct {
        const char* what;
        std::vector<NameRecord> records;
        std::optional<std::string> family;
    } rows[] = {
        {"Windows English first",
         {{1, 0, 0, 1, "Mac Name"},
          {3, 1, 0x407, 1, utf16(u"Deutsch")},
          {3, 1, 0x409, 1, utf16(u"English")}},
         "English"},
        {"then any Windows language",
         {{1, 0, 0, 1, "Mac"}, {3, 1, 0x407, 1, utf16(u"Deutsch")}},
         "Deutsch"},
        {"then Unicode",
         {{1, 0, 0, 1, "Mac"}, {0, 3, 0, 1, utf16(u"Uni\u00e7ode")}},
         "Uni\xc3\xa7ode"},
        {"then Macintosh English", {{1, 0, 0, 1, "Mac\x8e"}}, "Mac\xef\xbf\xbd"},
        {"a surrogate pair", {{3, 10, 0x409, 1, utf16(u"A\U0001F600")}}, "A\xf0\x9f\x98\x80"},
        {"a lone surrogate skipped",
         {{3, 1, 0x409, 1, utf16(u"A") + std::string("\xD8\x00", 2)}, {1, 0, 0, 1, "Kept"}},
         "Kept"},
        {"an odd length skipped", {{3, 1, 0x409, 1, std::string("\0A\0", 3)}}, std::nullopt},
        {"a NUL in the name skipped",
         {{3, 1, 0x409, 1, utf16(u"A") + std::string(2, '\0')}},
         std::nullopt},
        {"other encodings unused",
         {{3, 0, 0x409, 1, utf16(u"Symbol")}, {1, 1, 0, 1, "Jp"}},
         std::nullopt},
        {"no family record", {{3, 1, 0x409, 2, utf16(u"Bold")}}, std::nullopt},
    };
    for (const auto& row : rows) {
        const std::optional<SfntNames> names = ReadSfntNames(sfntWithNames(row.records));
        EXPECT_EQ(names ? std::optional(names->family) : std::nullopt, row.family) << row.what;
    }

    const std::vector<std::uint8_t> good = sfntWithNames({{3, 1, 0x409, 1, utf16(u"Font")}});
    ASSERT_TRUE(ReadSfntNames(good));
    // Every cut of the file, and a name table, a record or a string placed beyond it.
    for (std::size_t length = 0; length < good.size(); ++length) {
        EXPECT_FALSE(ReadSfntNames(std::span(good).first(length))) << length;
    }
    const struct {
        const char* what;
        std::size_t at;
        std::uint8_t value;
    } damages[] = {
        {"table offset far out", 12 + 8, 0x7F},
        {"table longer than the file", 12 + 12, 0x01},
        {"many records", 28 + 2, 0x7F},
        {"strings far out", 28 + 4, 0x7F},
        {"string far out", 28 + 6 + 10, 0x7F},
        {"string too long", 28 + 6 + 8, 0x7F},
        {"many tables", 4, 0x7F},
        {"no outline version", 0, 0x7F},
    };
    for (const auto& damage : damages) {
        std::vector<std::uint8_t> bad = good;
        bad[damage.at] = damage.value;
        EXPECT_FALSE(ReadSfntNames(bad)) << damage.what;
    }
    // A collection's first font, and one whose first font lies beyond the file.
    std::vector<std::uint8_t> collection = {'t', 't', 'c', 'f', 0, 1, 0, 0,
                                            0,   0,   0,   1,   0, 0, 0, 16};
    std::vector<std::uint8_t> inner = sfntWithNames({{3, 1, 0x409, 1, utf16(u"Inner")}});
    // The table offset inside counts from the collection's start.
    inner[12 + 11] = static_cast<std::uint8_t>(inner[12 + 11] + 16);
    collection.insert(collection.end(), inner.begin(), inner.end());
    const std::optional<SfntNames> first = ReadSfntNames(collection);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->family, "Inner");
    collection[15] = 0xF0;
    EXPECT_FALSE(ReadSfntNames(collection));
}

// Beyond U+FFFF the glyph comes from the font's character map read by this program: the same
// glyph FreeType finds, for every code point of the plane that holds the font's emoji, and
// nothing outside the table when it is cut short or its subtable claims more than it holds.
TEST(SfntCmapTest, SameGlyphsAsFreeTypeBeyondBmp) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, kDejaVu.c_str(), 0, &face), 0);
    FT_ULong length = 0;
    ASSERT_EQ(FT_Load_Sfnt_Table(face, TTAG_cmap, 0, nullptr, &length), 0);
    std::vector<std::uint8_t> cmap(length);
    ASSERT_EQ(FT_Load_Sfnt_Table(face, TTAG_cmap, 0, cmap.data(), &length), 0);
    int found = 0;
    for (char32_t c = 0x10000; c < 0x20000; ++c) {
        const FT_UInt expected = FT_Get_Char_Index(face, c);
        ASSERT_EQ(GlyphIndexBeyondBmp(cmap, c), expected)
            << std::hex << static_cast<std::uint32_t>(c);
        found += expected != 0 ? 1 : 0;
    }
    EXPECT_GT(found, 0);
    EXPECT_EQ(GlyphIndexBeyondBmp(cmap, 0x10FFFF), 0U);
    const std::uint32_t smile = FT_Get_Char_Index(face, 0x1F600);
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    for (std::size_t cut = 0; cut < cmap.size(); cut += 7) {
        const std::uint32_t index = GlyphIndexBeyondBmp(std::span(cmap).first(cut), 0x1F600);
        EXPECT_TRUE(index == 0 || index == smile) << cut;
    }
    // One format 12 subtable whose group count runs past the table.
    std::vector<std::uint8_t> lying = {0, 0, 0, 1, 0, 3,  0, 10, 0, 0, 0,    12,   0,    12,
                                       0, 0, 0, 0, 0, 40, 0, 0,  0, 0, 0x7F, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(GlyphIndexBeyondBmp(lying, 0x1F600), 0U);
}

} // namespace
} // namespace vornix::fonts
