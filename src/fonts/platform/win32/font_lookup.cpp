// Fonts on Windows: installed families found through GDI, outline font files added for this
// process alone and drawn by their family name, and the system's fixed-pitch font by default.
#include <windows.h>

#include "fonts/font_finder.h"
#include "fonts/font_request.h"
#include "fonts/outline_font.h"
#include "fonts/sfnt_names.h"
#include "gdi_font.h"
#include "image/platform/win32/wide_text.h"

namespace vornix::fonts {

namespace {

// The fixed-pitch outline font every Windows has; where it is missing GDI picks another
// fixed-pitch one.
constexpr const char* kDefaultFamily = "Courier New";

int sizeOrDefault(int pixelSize) {
    return pixelSize == 0 ? kDefaultPixelSize : pixelSize;
}

// The file's full path: GDI finds a font file by a relative name only in its own folders.
std::wstring fullPath(const std::wstring& path) {
    const DWORD room = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (room == 0) {
        return {};
    }
    std::wstring full(room, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), room, full.data(), nullptr);
    if (length == 0 || length >= room) {
        return {};
    }
    full.resize(length);
    return full;
}

} // namespace

OutlineFontResult OpenOutlineFont(const std::string& path, std::span<const std::uint8_t> bytes,
                                  int /*faceIndex*/, int pixelSize) {
    if (pixelSize < 1 || pixelSize > kMaxPixelSize) {
        return {nullptr, FontError::BadPixelSize};
    }
    // GDI draws an added file by its family name, which the file itself gives.
    const std::optional<SfntNames> names = ReadSfntNames(bytes);
    if (!names) {
        return {nullptr, FontError::BadFont};
    }
    std::wstring file = fullPath(platform::win32::Wide(path));
    if (file.empty() || AddFontResourceExW(file.c_str(), FR_PRIVATE, nullptr) == 0) {
        return {nullptr, FontError::BadFont};
    }
    FontRequest request;
    request.family = names->family;
    ApplyStyleWords(names->style, request);
    win32::GdiFontResult opened =
        win32::OpenGdiFont(request, pixelSize, win32::FaceCheck::SameFamily, std::move(file));
    // The file was added, yet GDI draws no face of its family: it cannot draw this font.
    const FontError error =
        opened.error == FontError::NoSuchFont ? FontError::OutlineRefused : opened.error;
    return {std::move(opened.font), error};
}

OpenedFont OpenFontNamed(const std::string& family, int pixelSize) {
    pixelSize = sizeOrDefault(pixelSize);
    if (pixelSize < 1 || pixelSize > kMaxPixelSize) {
        return FontFailed(FontError::BadPixelSize, std::to_string(pixelSize));
    }
    const FontRequest request = ParseFontName(family);
    if (request.family.empty()) {
        return FontFailed(FontError::NoSuchFont, family);
    }
    win32::GdiFontResult opened = win32::OpenGdiFont(
        request, pixelSize,
        request.generic ? win32::FaceCheck::AnyFace : win32::FaceCheck::SameFamily);
    if (opened.error != FontError::None) {
        return FontFailed(opened.error, family);
    }
    return {std::move(opened.font), {}};
}

OpenedFont OpenDefaultFont(int pixelSize) {
    pixelSize = sizeOrDefault(pixelSize);
    if (pixelSize < 1 || pixelSize > kMaxPixelSize) {
        return FontFailed(FontError::BadPixelSize, std::to_string(pixelSize));
    }
    FontRequest request;
    request.family = kDefaultFamily;
    request.kind = FontRequest::Kind::Mono;
    win32::GdiFontResult opened = win32::OpenGdiFont(request, pixelSize, win32::FaceCheck::AnyFace);
    if (opened.error != FontError::None) {
        return FontFailed(opened.error, "the default font (" + std::string(kDefaultFamily) + ")");
    }
    return {std::move(opened.font), {}};
}

void ReleaseFontLookup() {}

} // namespace vornix::fonts
