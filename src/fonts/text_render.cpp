#include "fonts/text_render.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "fonts/utf8.h"
#include "image/photo/prepare_image.h"

namespace vornix::fonts {

namespace {

// A glyph placed on its line: the pen position it was drawn at.
struct Placed {
    const Glyph* glyph;
    std::int64_t pen;
};

struct Line {
    std::vector<Placed> glyphs;
    std::int64_t left = 0;  // the line's box: from the pen's start (0) or ink left of it ...
    std::int64_t right = 0; // ... to the pen's end or ink right of it
    std::int64_t width() const { return right - left; }
};

// Beyond this a pen position or a box side cannot belong to a picture that is allowed.
constexpr std::int64_t kFarOut = std::int64_t{4} * image::kMaxPreparedSide;

struct Layout {
    std::vector<Line> lines;
    std::vector<char32_t> missing;
    std::int64_t inkTop = 0;    // the highest ink above the first line's top (<= 0)
    std::int64_t inkBottom = 0; // the lowest ink below the last line's bottom
    bool tooLarge = false;
};

std::vector<std::u32string> splitLines(const std::u32string& text) {
    std::vector<std::u32string> lines(1);
    for (const char32_t c : text) {
        if (c == U'\n') {
            if (!lines.back().empty() && lines.back().back() == U'\r') {
                lines.back().pop_back();
            }
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    return lines;
}

Layout layOut(Font& font, const std::u32string& text) {
    Layout layout;
    const FontMetrics metrics = font.metrics();
    const std::int64_t lineHeight = metrics.ascent + metrics.descent;
    const auto lines = splitLines(text);
    for (std::size_t n = 0; n < lines.size() && !layout.tooLarge; ++n) {
        Line line;
        const std::int64_t baseline = static_cast<std::int64_t>(n) * lineHeight + metrics.ascent;
        std::int64_t pen = 0;
        for (const char32_t c : lines[n]) {
            const Glyph* glyph = font.glyph(c);
            if (glyph == nullptr) {
                glyph = &font.missingGlyph();
                if (std::find(layout.missing.begin(), layout.missing.end(), c) ==
                    layout.missing.end()) {
                    layout.missing.push_back(c);
                }
            }
            line.glyphs.push_back({glyph, pen});
            if (glyph->width > 0 && glyph->height > 0) {
                line.left = std::min(line.left, pen + glyph->left);
                line.right = std::max(line.right, pen + glyph->left + glyph->width);
                layout.inkTop = std::min(layout.inkTop, baseline - glyph->top);
                layout.inkBottom = std::max(
                    layout.inkBottom, baseline - glyph->top + glyph->height -
                                          lineHeight * static_cast<std::int64_t>(lines.size()));
            }
            pen += glyph->advance;
            line.left = std::min(line.left, pen);
            line.right = std::max(line.right, pen);
            if (line.width() > kFarOut) {
                layout.tooLarge = true;
                break;
            }
        }
        layout.lines.push_back(std::move(line));
    }
    if (lineHeight * static_cast<std::int64_t>(lines.size()) > kFarOut) {
        layout.tooLarge = true;
    }
    return layout;
}

bool allowedSize(std::int64_t width, std::int64_t height) {
    return width >= 0 && height >= 0 && width <= image::kMaxPreparedSide &&
           height <= image::kMaxPreparedSide && width * height <= image::kMaxPicturePixels;
}

std::int64_t alignedLeft(const Line& line, std::int64_t width, TextAlign align) {
    const std::int64_t room = width - line.width();
    const std::int64_t start = align == TextAlign::Left    ? 0
                               : align == TextAlign::Right ? room
                                                           : room / 2;
    return start - line.left;
}

// Draws one glyph with its bitmap's top-left corner at (x, y); true when all its ink landed.
bool drawGlyph(const Glyph& glyph, image::PackedPicture& picture, std::int64_t x, std::int64_t y) {
    bool whole = true;
    for (int gy = 0; gy < glyph.height; ++gy) {
        const std::int64_t py = y + gy;
        for (int gx = 0; gx < glyph.width; ++gx) {
            if (!glyph.isInk(gx, gy)) {
                continue;
            }
            const std::int64_t px = x + gx;
            if (px < 0 || py < 0 || px >= picture.width() || py >= picture.height()) {
                whole = false;
                continue;
            }
            picture.setDark(static_cast<int>(px), static_cast<int>(py), true);
        }
    }
    return whole;
}

} // namespace

RenderedText RenderText(Font& font, std::string_view text, TextAlign align,
                        std::optional<image::PictureSize> canvas) {
    RenderedText result;
    const FontMetrics metrics = font.metrics();
    result.lineHeight = metrics.ascent + metrics.descent;
    const auto decoded = DecodeUtf8(text);
    if (!decoded) {
        result.error = FontError::NotUtf8;
        return result;
    }
    const Layout layout = layOut(font, *decoded);
    std::int64_t boxWidth = 0;
    for (const Line& line : layout.lines) {
        boxWidth = std::max(boxWidth, line.width());
    }
    const std::int64_t boxHeight =
        result.lineHeight * static_cast<std::int64_t>(layout.lines.size()) - layout.inkTop +
        layout.inkBottom;
    const std::int64_t width = canvas ? canvas->width : boxWidth;
    const std::int64_t height = canvas ? canvas->height : boxHeight;
    if (layout.tooLarge || !allowedSize(boxWidth, boxHeight) || !allowedSize(width, height)) {
        result.error = FontError::TextTooLarge;
        return result;
    }
    result.missing = layout.missing;
    result.baseline = static_cast<int>(metrics.ascent - layout.inkTop);
    result.picture = image::PackedPicture(static_cast<int>(width), static_cast<int>(height));
    if (result.picture.empty()) {
        return result;
    }
    for (std::size_t n = 0; n < layout.lines.size(); ++n) {
        const Line& line = layout.lines[n];
        const std::int64_t left = alignedLeft(line, width, align);
        const std::int64_t baseline =
            result.baseline + static_cast<std::int64_t>(n) * result.lineHeight;
        for (const Placed& placed : line.glyphs) {
            const Glyph& glyph = *placed.glyph;
            if (!drawGlyph(glyph, result.picture, left + placed.pen + glyph.left,
                           baseline - glyph.top)) {
                result.cut = true;
            }
        }
    }
    return result;
}

void StampText(const image::PackedPicture& text, image::PackedPicture& target, int x, int y) {
    for (int ty = 0; ty < text.height(); ++ty) {
        const std::int64_t py = std::int64_t{y} + ty;
        if (py < 0 || py >= target.height()) {
            continue;
        }
        for (int tx = 0; tx < text.width(); ++tx) {
            const std::int64_t px = std::int64_t{x} + tx;
            if (px >= 0 && px < target.width() && text.isDark(tx, ty)) {
                target.setDark(static_cast<int>(px), static_cast<int>(py), true);
            }
        }
    }
}

} // namespace vornix::fonts
