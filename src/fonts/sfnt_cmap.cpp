#include "fonts/sfnt_cmap.h"

#include <cstddef>

namespace vornix::fonts {

namespace {

std::uint32_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return (std::uint32_t{b[at]} << 8) | b[at + 1];
}

std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return (u16(b, at) << 16) | u16(b, at + 2);
}

bool has(std::span<const std::uint8_t> b, std::size_t at, std::size_t length) {
    return at <= b.size() && length <= b.size() - at;
}

// A subtable for the whole of Unicode: Windows UCS-4, or Unicode full repertoire.
bool isFullUnicode(std::uint32_t platform, std::uint32_t encoding) {
    return (platform == 3 && encoding == 10) || (platform == 0 && (encoding == 4 || encoding == 6));
}

// The glyph of `codePoint` in the format 12 subtable at `at`; 0 when it has none.
std::uint32_t inSegmentedCoverage(std::span<const std::uint8_t> cmap, std::size_t at,
                                  char32_t codePoint) {
    if (!has(cmap, at, 16) || u16(cmap, at) != 12) {
        return 0;
    }
    const std::size_t groups = u32(cmap, at + 12);
    if (!has(cmap, at + 16, groups * 12) || groups > cmap.size() / 12) {
        return 0;
    }
    // The groups are sorted by their first code point: a binary search finds the one that
    // could hold the code point.
    std::size_t low = 0;
    std::size_t high = groups;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const std::size_t group = at + 16 + middle * 12;
        const std::uint32_t first = u32(cmap, group);
        const std::uint32_t last = u32(cmap, group + 4);
        if (codePoint < first) {
            high = middle;
        } else if (codePoint > last) {
            low = middle + 1;
        } else {
            return u32(cmap, group + 8) + (codePoint - first);
        }
    }
    return 0;
}

} // namespace

std::uint32_t GlyphIndexBeyondBmp(std::span<const std::uint8_t> cmap, char32_t codePoint) {
    if (!has(cmap, 0, 4)) {
        return 0;
    }
    const std::size_t tables = u16(cmap, 2);
    if (!has(cmap, 4, tables * 8)) {
        return 0;
    }
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t record = 4 + i * 8;
        if (isFullUnicode(u16(cmap, record), u16(cmap, record + 2))) {
            if (const std::uint32_t glyph =
                    inSegmentedCoverage(cmap, u32(cmap, record + 4), codePoint)) {
                return glyph;
            }
        }
    }
    return 0;
}

} // namespace vornix::fonts
