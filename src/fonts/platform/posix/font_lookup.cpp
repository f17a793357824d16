// Fonts found by family name through fontconfig, and the default font from xfonts-base.
#include "fonts/font_finder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <strings.h>

#include <fontconfig/fontconfig.h>

#include "fonts/bitmap_font.h"
#include "fonts/outline_font.h"

namespace vornix::fonts {

namespace {

// The fixed bitmap fonts of xfonts-base that cover Unicode, by their height in pixels.
struct DefaultSize {
    int pixels;
    const char* file;
};
constexpr std::array kDefaultSizes{
    DefaultSize{6, "4x6.pcf.gz"},   DefaultSize{7, "5x7.pcf.gz"},    DefaultSize{8, "5x8.pcf.gz"},
    DefaultSize{9, "6x9.pcf.gz"},   DefaultSize{10, "6x10.pcf.gz"},  DefaultSize{12, "6x12.pcf.gz"},
    DefaultSize{13, "6x13.pcf.gz"}, DefaultSize{14, "7x14.pcf.gz"},  DefaultSize{15, "9x15.pcf.gz"},
    DefaultSize{18, "9x18.pcf.gz"}, DefaultSize{20, "10x20.pcf.gz"},
};
constexpr const char* kDefaultFolder = "/usr/share/fonts/X11/misc/";

// fontconfig's names that stand for a kind of font rather than a family.
constexpr std::array kGenericFamilies{"sans-serif", "sans",    "serif",   "monospace", "mono",
                                      "system-ui",  "cursive", "fantasy", "emoji",     "math"};

int sizeOrDefault(int pixelSize) {
    return pixelSize == 0 ? kDefaultPixelSize : pixelSize;
}

bool sameName(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

bool isGeneric(const std::string& family) {
    return std::any_of(kGenericFamilies.begin(), kGenericFamilies.end(),
                       [&family](const char* name) { return sameName(family, name); });
}

// The family a parsed name asks for: "DejaVu Sans:bold" -> "DejaVu Sans".
std::string familyOf(FcPattern* pattern) {
    FcChar8* value = nullptr;
    return FcPatternGetString(pattern, FC_FAMILY, 0, &value) == FcResultMatch
               ? std::string(reinterpret_cast<const char*>(value))
               : std::string();
}

bool matchesFamily(FcPattern* match, const std::string& family) {
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
        if (sameName(family, reinterpret_cast<const char*>(value))) {
            return true;
        }
    }
    return false;
}

} // namespace

OpenedFont OpenFontNamed(const std::string& family, int pixelSize) {
    pixelSize = sizeOrDefault(pixelSize);
    if (pixelSize < 1 || pixelSize > kMaxPixelSize) {
        return FontFailed(FontError::BadPixelSize, std::to_string(pixelSize));
    }
    // The library's own configuration, loaded once for the process and kept.
    FcConfig* config = FcInit() ? FcConfigGetCurrent() : nullptr;
    FcPattern* pattern =
        config == nullptr ? nullptr : FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    OpenedFont result = FontFailed(FontError::NoSuchFont, family);
    if (pattern != nullptr) {
        const std::string wanted = familyOf(pattern);
        FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult outcome = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &outcome);
        FcChar8* file = nullptr;
        int index = 0;
        if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
            !wanted.empty() && (isGeneric(wanted) || matchesFamily(match, wanted))) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            const std::string path(reinterpret_cast<const char*>(file));
            result = OpenFontFile(path, pixelSize);
            if (result.font == nullptr) {
                result.failure.detail = family + " (" + path + ")";
            }
            if (result.font != nullptr && index != 0 && !result.font->isBitmap()) {
                OutlineFontResult face = OpenOutlineFont(path, {}, index, pixelSize);
                result = face.font ? OpenedFont{std::move(face.font), {}}
                                   : FontFailed(face.error, family + " (" + path + ")");
            }
        }
        if (match != nullptr) {
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    return result;
}

OpenedFont OpenDefaultFont(int pixelSize) {
    pixelSize = sizeOrDefault(pixelSize);
    if (pixelSize < 1 || pixelSize > kMaxPixelSize) {
        return FontFailed(FontError::BadPixelSize, std::to_string(pixelSize));
    }
    const DefaultSize* nearest = &kDefaultSizes.front();
    for (const DefaultSize& size : kDefaultSizes) {
        if (std::abs(size.pixels - pixelSize) < std::abs(nearest->pixels - pixelSize)) {
            nearest = &size;
        }
    }
    OpenedFont opened = OpenFontFile(std::string(kDefaultFolder) + nearest->file, pixelSize);
    if (opened.font == nullptr) {
        // Say which package brings the file back.
        opened.failure.detail = "the default font (xfonts-base) " + opened.failure.detail;
    } else if (opened.font->name().empty()) {
        static_cast<BitmapFont&>(*opened.font).setName("Fixed");
    }
    return opened;
}

void ReleaseFontLookup() {
    FcFini();
}

} // namespace vornix::fonts
