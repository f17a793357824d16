// Text in an outline font: every glyph that FreeType itself renders monochrome, asked here
// directly, appears at the position its advance gives, and nothing else is drawn.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "fonts/font_finder.h"
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

} // namespace
} // namespace vornix::fonts
