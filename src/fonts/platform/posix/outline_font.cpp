#include "fonts/outline_font.h"

#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace vornix::fonts {

namespace {

int pixelsOf(FT_Pos value26_6) {
    return static_cast<int>((value26_6 + 32) >> 6);
}

class OutlineFont : public Font {
public:
    OutlineFont(FT_Library library, FT_Face face, int pixelSize)
        : m_library(library), m_face(face), m_pixelSize(pixelSize) {}
    ~OutlineFont() override {
        FT_Done_Face(m_face);
        FT_Done_FreeType(m_library);
    }
    OutlineFont(const OutlineFont&) = delete;
    OutlineFont& operator=(const OutlineFont&) = delete;

    const Glyph* glyph(char32_t codePoint) override {
        const FT_UInt index = FT_Get_Char_Index(m_face, codePoint);
        return index == 0 ? nullptr : glyphAt(index);
    }

    const Glyph& missingGlyph() override {
        // Glyph 0, ".notdef", is the font's own stand-in for what it lacks.
        if (const Glyph* notdef = glyphAt(0)) {
            return *notdef;
        }
        return m_empty;
    }

    FontMetrics metrics() const override {
        // Hinted metrics are whole pixels already; the descender is negative below the baseline.
        const FT_Size_Metrics& size = m_face->size->metrics;
        return {pixelsOf(size.ascender), -pixelsOf(size.descender)};
    }

    int pixelSize() const override { return m_pixelSize; }
    bool isBitmap() const override { return false; }
    std::string name() const override {
        std::string family = m_face->family_name != nullptr ? m_face->family_name : "";
        // "DejaVu Sans Bold", but "DejaVu Sans" for the plain style, whatever the font calls it.
        if (m_face->style_name != nullptr && std::strcmp(m_face->style_name, "Regular") != 0 &&
            std::strcmp(m_face->style_name, "Book") != 0) {
            family.append(" ").append(m_face->style_name);
        }
        return family;
    }

private:
    // The glyph rendered monochrome and hinted, kept for the next use; nullptr when FreeType
    // refuses it or its bitmap is not one-bit.
    const Glyph* glyphAt(FT_UInt index) {
        if (const auto it = m_cache.find(index); it != m_cache.end()) {
            return it->second ? &*it->second : nullptr;
        }
        std::optional<Glyph> made = render(index);
        const auto [it, added] = m_cache.emplace(index, std::move(made));
        return it->second ? &*it->second : nullptr;
    }

    std::optional<Glyph> render(FT_UInt index) const {
        if (FT_Load_Glyph(m_face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
            return std::nullopt;
        }
        const FT_GlyphSlot slot = m_face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
            FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) {
            return std::nullopt;
        }
        const FT_Bitmap& bitmap = slot->bitmap;
        const bool blank = bitmap.width == 0 || bitmap.rows == 0;
        if ((!blank && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) || bitmap.width > kMaxGlyphSide ||
            bitmap.rows > kMaxGlyphSide) {
            return std::nullopt;
        }
        Glyph glyph;
        glyph.width = static_cast<int>(bitmap.width);
        glyph.height = static_cast<int>(bitmap.rows);
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.advance = pixelsOf(slot->advance.x);
        const std::size_t stride = glyph.stride();
        glyph.bits.assign(stride * static_cast<std::size_t>(glyph.height), 0);
        for (int y = 0; y < glyph.height; ++y) {
            // The pitch is negative for a bitmap stored bottom-up.
            const unsigned char* row =
                bitmap.pitch >= 0
                    ? bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch
                    : bitmap.buffer +
                          static_cast<std::ptrdiff_t>(glyph.height - 1 - y) * -bitmap.pitch;
            std::memcpy(glyph.bits.data() + static_cast<std::size_t>(y) * stride, row, stride);
            const int spare = static_cast<int>(stride * 8) - glyph.width;
            if (stride > 0) {
                glyph.bits[static_cast<std::size_t>(y) * stride + stride - 1] &=
                    static_cast<std::uint8_t>(0xFFU << spare);
            }
        }
        return glyph;
    }

    FT_Library m_library;
    FT_Face m_face;
    int m_pixelSize;
    std::unordered_map<FT_UInt, std::optional<Glyph>> m_cache;
    Glyph m_empty;
};

} // namespace

OutlineFontResult OpenOutlineFont(const std::string& path, std::span<const std::uint8_t> /*bytes*/,
                                  int faceIndex, int pixelSize) {
    if (pixelSize < 1 || pixelSize > kMaxPixelSize) {
        return {nullptr, FontError::BadPixelSize};
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return {nullptr, FontError::OutlineRefused};
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), faceIndex, &face) != 0) {
        FT_Done_FreeType(library);
        return {nullptr, FontError::BadFont};
    }
    const bool scalable = FT_IS_SCALABLE(face);
    if (!scalable || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0 ||
        FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        return {nullptr, scalable ? FontError::OutlineRefused : FontError::BadFont};
    }
    return {std::make_unique<OutlineFont>(library, face, pixelSize), FontError::None};
}

} // namespace vornix::fonts
