#include "fonts/font_finder.h"

#include <span>

#include "fonts/bitmap_font_reader.h"
#include "fonts/outline_font.h"
#include "image/files/bounded_read.h"
#include "image/platform/platform.h"

namespace vornix::fonts {

OpenedFont FontFailed(FontError error, std::string detail) {
    return {nullptr, {error, std::move(detail), {}}};
}

OpenedFont OpenFontFile(const std::string& path, int pixelSize) {
    pixelSize = pixelSize == 0 ? kDefaultPixelSize : pixelSize;
    if (pixelSize < 1 || pixelSize > kMaxPixelSize) {
        return FontFailed(FontError::BadPixelSize, std::to_string(pixelSize));
    }
    const image::FileBytes file = image::ReadBoundedFile(path, kMaxFontFileBytes);
    if (!file.ok()) {
        if (file.error == image::kFileTooLarge) {
            return FontFailed(FontError::FileTooLarge, path);
        }
        OpenedFont unread = FontFailed(FontError::FileUnreadable, path);
        unread.failure.reason = image::DescribeReadError(file.error);
        return unread;
    }
    const std::span<const std::uint8_t> bytes(file.bytes.data(), file.bytes.size());
    if (LooksLikeBitmapFont(bytes)) {
        BitmapFontResult read = ReadBitmapFont(bytes);
        if (read.error != FontError::None) {
            return FontFailed(read.error, path);
        }
        if (read.font->name().empty()) {
            read.font->setName(path);
        }
        return {std::move(read.font), {}};
    }
    OutlineFontResult outline = OpenOutlineFont(path, bytes, 0, pixelSize);
    if (outline.error != FontError::None) {
        return FontFailed(outline.error, path);
    }
    return {std::move(outline.font), {}};
}

OpenedFont OpenFont(const std::string& nameOrPath, int pixelSize) {
    if (nameOrPath.empty()) {
        return OpenDefaultFont(pixelSize);
    }
    bool hasFolder = false;
    for (const char c : nameOrPath) {
        hasFolder = hasFolder || platform::IsFolderSeparator(c);
    }
    if (hasFolder || platform::InfoOf(nameOrPath).error == 0) {
        return OpenFontFile(nameOrPath, pixelSize);
    }
    return OpenFontNamed(nameOrPath, pixelSize);
}

} // namespace vornix::fonts
