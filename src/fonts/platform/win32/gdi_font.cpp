#include "gdi_font.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "fonts/bitmap_font_reader.h"
#include "fonts/sfnt_cmap.h"
#include "image/platform/win32/wide_text.h"

namespace vornix::fonts::win32 {

namespace {

using platform::win32::Utf8;
using platform::win32::Wide;

// What GetGlyphIndicesW gives for a character the font lacks, when asked to mark it.
constexpr WORD kNoGlyph = 0xFFFF;
// The character map's table tag as GetFontData takes it: "cmap", first letter lowest.
constexpr DWORD kCmapTag = 'c' | ('m' << 8) | ('a' << 16) | (static_cast<DWORD>('p') << 24);

BYTE pitchAndFamilyOf(const FontRequest& request) {
    switch (request.kind) {
    case FontRequest::Kind::Mono:
        return FIXED_PITCH | FF_MODERN;
    case FontRequest::Kind::Sans:
        return VARIABLE_PITCH | FF_SWISS;
    case FontRequest::Kind::Serif:
        return VARIABLE_PITCH | FF_ROMAN;
    case FontRequest::Kind::Any:
        break;
    }
    return DEFAULT_PITCH | FF_DONTCARE;
}

bool sameFace(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

class GdiFont : public Font {
public:
    GdiFont(HDC dc, HFONT font, HGDIOBJ previous, int pixelSize, std::wstring privateFile)
        : m_dc(dc), m_font(font), m_previous(previous), m_pixelSize(pixelSize),
          m_privateFile(std::move(privateFile)) {
        GetTextMetricsW(m_dc, &m_text);
        wchar_t face[LF_FACESIZE] = {};
        const int length = GetTextFaceW(m_dc, LF_FACESIZE, face);
        m_face.assign(face, length > 0 ? static_cast<std::size_t>(length - 1) : 0);
    }
    ~GdiFont() override {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_font);
        DeleteDC(m_dc);
        if (!m_privateFile.empty()) {
            RemoveFontResourceExW(m_privateFile.c_str(), FR_PRIVATE, nullptr);
        }
    }
    GdiFont(const GdiFont&) = delete;
    GdiFont& operator=(const GdiFont&) = delete;

    const std::wstring& face() const { return m_face; }
    bool isOutline() const {
        return (m_text.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) != 0;
    }

    const Glyph* glyph(char32_t codePoint) override {
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            return nullptr;
        }
        // GDI looks up one UTF-16 unit at a time: a character beyond U+FFFF is looked up in the
        // font's own character map.
        if (codePoint > 0xFFFF) {
            const std::uint32_t index = GlyphIndexBeyondBmp(characterMap(), codePoint);
            return index == 0 || index >= kNoGlyph ? nullptr : glyphAt(static_cast<WORD>(index));
        }
        const wchar_t unit = static_cast<wchar_t>(codePoint);
        WORD index = kNoGlyph;
        if (GetGlyphIndicesW(m_dc, &unit, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR ||
            index == kNoGlyph || index == 0) {
            return nullptr;
        }
        return glyphAt(index);
    }

    const Glyph& missingGlyph() override {
        // Glyph 0, ".notdef", is the font's own stand-in for what it lacks.
        if (const Glyph* notdef = glyphAt(0)) {
            return *notdef;
        }
        return m_empty;
    }

    FontMetrics metrics() const override { return {m_text.tmAscent, m_text.tmDescent}; }
    int pixelSize() const override { return m_pixelSize; }
    bool isBitmap() const override { return false; }
    std::string name() const override {
        std::string name = Utf8(m_face);
        if (m_text.tmWeight >= FW_BOLD) {
            name += " Bold";
        }
        if (m_text.tmItalic != 0) {
            name += " Italic";
        }
        return name;
    }

private:
    // The font's 'cmap' table as GDI hands it over, read once; empty when it has none.
    const std::vector<std::uint8_t>& characterMap() {
        if (!m_cmapRead) {
            m_cmapRead = true;
            const DWORD size = GetFontData(m_dc, kCmapTag, 0, nullptr, 0);
            if (size != GDI_ERROR && size > 0 && size <= kMaxFontFileBytes) {
                m_cmap.resize(size);
                if (GetFontData(m_dc, kCmapTag, 0, m_cmap.data(), size) != size) {
                    m_cmap.clear();
                }
            }
        }
        return m_cmap;
    }

    const Glyph* glyphAt(WORD index) {
        if (const auto it = m_cache.find(index); it != m_cache.end()) {
            return it->second ? &*it->second : nullptr;
        }
        const auto [it, added] = m_cache.emplace(index, render(index));
        return it->second ? &*it->second : nullptr;
    }

    // The glyph as GDI draws it one-bit: rows from the top, each padded to four bytes, the
    // leftmost pixel in the high bit. nullopt when GDI refuses it.
    std::optional<Glyph> render(WORD index) const {
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        GLYPHMETRICS metrics{};
        const UINT format = GGO_BITMAP | GGO_GLYPH_INDEX;
        const DWORD size = GetGlyphOutlineW(m_dc, index, format, &metrics, 0, nullptr, &identity);
        if (size == GDI_ERROR) {
            return std::nullopt;
        }
        Glyph glyph;
        glyph.advance = metrics.gmCellIncX;
        if (size == 0) {
            return glyph; // no ink (a space): GDI reports a one-pixel box all the same
        }
        const UINT width = metrics.gmBlackBoxX;
        const UINT height = metrics.gmBlackBoxY;
        const std::size_t sourceStride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
        if (width == 0 || height == 0 || width > kMaxGlyphSide || height > kMaxGlyphSide ||
            size < sourceStride * height) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> bitmap(size);
        if (GetGlyphOutlineW(m_dc, index, format, &metrics, size, bitmap.data(), &identity) ==
            GDI_ERROR) {
            return std::nullopt;
        }
        glyph.width = static_cast<int>(width);
        glyph.height = static_cast<int>(height);
        glyph.left = metrics.gmptGlyphOrigin.x;
        glyph.top = metrics.gmptGlyphOrigin.y;
        const std::size_t stride = glyph.stride();
        glyph.bits.assign(stride * height, 0);
        const int spare = static_cast<int>(stride * 8) - glyph.width;
        for (std::size_t y = 0; y < height; ++y) {
            std::uint8_t* row = glyph.bits.data() + y * stride;
            std::memcpy(row, bitmap.data() + y * sourceStride, stride);
            row[stride - 1] &= static_cast<std::uint8_t>(0xFFU << spare);
        }
        return glyph;
    }

    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_previous;
    int m_pixelSize;
    std::wstring m_privateFile;
    TEXTMETRICW m_text{};
    std::wstring m_face;
    std::unordered_map<WORD, std::optional<Glyph>> m_cache;
    std::vector<std::uint8_t> m_cmap;
    bool m_cmapRead = false;
    Glyph m_empty;
};

} // namespace

GdiFontResult OpenGdiFont(const FontRequest& request, int pixelSize, FaceCheck check,
                          std::wstring privateFile) {
    const auto fail = [&privateFile](FontError error) {
        if (!privateFile.empty()) {
            RemoveFontResourceExW(privateFile.c_str(), FR_PRIVATE, nullptr);
        }
        return GdiFontResult{nullptr, error};
    };
    if (pixelSize < 1 || pixelSize > kMaxPixelSize) {
        return fail(FontError::BadPixelSize);
    }
    const std::wstring family = request.generic ? std::wstring() : Wide(request.family);
    // GDI knows no family name this long: nothing installed can have it.
    if (family.size() >= LF_FACESIZE) {
        return fail(FontError::NoSuchFont);
    }
    LOGFONTW wanted{};
    wanted.lfHeight = -pixelSize; // negative: the em, not the cell
    wanted.lfWeight = request.weight;
    wanted.lfItalic = request.italic ? TRUE : FALSE;
    wanted.lfCharSet = DEFAULT_CHARSET;
    wanted.lfOutPrecision = OUT_OUTLINE_PRECIS;
    wanted.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    wanted.lfQuality = NONANTIALIASED_QUALITY;
    wanted.lfPitchAndFamily = pitchAndFamilyOf(request);
    std::memcpy(wanted.lfFaceName, family.c_str(), family.size() * sizeof(wchar_t));

    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = dc != nullptr ? CreateFontIndirectW(&wanted) : nullptr;
    if (font == nullptr) {
        if (dc != nullptr) {
            DeleteDC(dc);
        }
        return fail(FontError::OutlineRefused);
    }
    HGDIOBJ previous = SelectObject(dc, font);
    auto drawn = std::make_unique<GdiFont>(dc, font, previous, pixelSize, privateFile);
    privateFile.clear(); // the font gives it up now
    if (check == FaceCheck::SameFamily && !sameFace(drawn->face(), family)) {
        return fail(FontError::NoSuchFont);
    }
    if (!drawn->isOutline()) {
        return fail(FontError::OutlineRefused); // a bitmap font of the system's own format
    }
    return {std::move(drawn), FontError::None};
}

} // namespace vornix::fonts::win32
