#include "image/picture/byte_layout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <cstdint>

namespace vornix::image {
namespace {

constexpr std::array<std::uint8_t, 256> kReversedBits = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        unsigned reversed = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (value & (1U << bit)) {
                reversed |= 0x80U >> bit;
            }
        }
        table[value] = static_cast<std::uint8_t>(reversed);
    }
    return table;
}();

struct LayoutName {
    ByteLayout layout;
    std::string_view name;
};
constexpr std::array<LayoutName, 5> kLayoutNames{{
    {ByteLayout::RowsHighBitFirst, "rows-msb"},
    {ByteLayout::RowsLowBitFirst, "rows-lsb"},
    {ByteLayout::PagesLowBitTop, "pages-lsb"},
    {ByteLayout::PagesHighBitTop, "pages-msb"},
    {ByteLayout::Columns, "columns"},
}};

std::size_t Groups(int pixels) { return (static_cast<std::size_t>(pixels) + 7) / 8; }

// An 8 x 8 block of bits turned over its diagonal. Byte r of `x` from the top holds row r
// with column 0 in bit 7; after the turn byte c from the top holds column c with row 0 in
// bit 7.
std::uint64_t Transpose(std::uint64_t x) {
    std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
    return x ^ t ^ (t << 28);
}

std::uint8_t ByteOf(std::uint64_t x, std::size_t c) {
    return static_cast<std::uint8_t>(x >> (56 - 8 * c));
}

// The rows of one page: 8 pointers to rows of the picture, or to a light row past the bottom.
struct PageRows {
    std::array<const std::uint8_t*, 8> rows{};
    std::vector<std::uint8_t> light;

    PageRows(const PackedPicture& picture, std::size_t page) : light(picture.stride(), 0) {
        for (std::size_t r = 0; r < 8; ++r) {
            const std::size_t y = page * 8 + r;
            rows[r] = y < static_cast<std::size_t>(picture.height())
                          ? picture.row(static_cast<int>(y)).data()
                          : light.data();
        }
    }
    // The block at byte `column` of the rows, row 0 in the top byte; with `bottomUp`, row 7
    // in the top byte, so that the turned block has row 0 in bit 0.
    std::uint64_t block(std::size_t column, bool bottomUp) const {
        std::uint64_t x = 0;
        for (std::size_t r = 0; r < 8; ++r) {
            x = (x << 8) | rows[bottomUp ? 7 - r : r][column];
        }
        return x;
    }
};

void PutBlock(PackedPicture& picture, std::size_t page, std::size_t column, std::uint64_t rows) {
    for (std::size_t r = 0; r < 8; ++r) {
        const std::size_t y = page * 8 + r;
        if (y < static_cast<std::size_t>(picture.height())) {
            picture.row(static_cast<int>(y))[column] = ByteOf(rows, r);
        }
    }
}

// Where the bytes of one page land in a page or column layout: byte x of the page goes to
// first + x * step.
struct PagePlace {
    std::size_t first;
    std::size_t step;
};

PagePlace PlaceOfPage(ByteLayout layout, int width, int height, std::size_t page) {
    if (layout == ByteLayout::Columns) {
        return {page, Groups(height)};
    }
    return {page * static_cast<std::size_t>(width), 1};
}

} // namespace

std::optional<ByteLayout> ByteLayoutFromName(std::string_view name) {
    for (const LayoutName& entry : kLayoutNames) {
        if (entry.name == name) {
            return entry.layout;
        }
    }
    return std::nullopt;
}

std::string_view ByteLayoutName(ByteLayout layout) {
    for (const LayoutName& entry : kLayoutNames) {
        if (entry.layout == layout) {
            return entry.name;
        }
    }
    return "rows-msb";
}

bool IsRowLayout(ByteLayout layout) {
    return layout == ByteLayout::RowsHighBitFirst || layout == ByteLayout::RowsLowBitFirst;
}

bool PadsRows(ByteLayout layout, int height) { return !IsRowLayout(layout) && height % 8 != 0; }

BitPlace PlaceOfPixel(ByteLayout layout, int width, int height, int x, int y) {
    const auto ux = static_cast<std::size_t>(x);
    const auto uy = static_cast<std::size_t>(y);
    switch (layout) {
    case ByteLayout::RowsHighBitFirst:
        return {uy * Groups(width) + ux / 8, 7 - x % 8};
    case ByteLayout::RowsLowBitFirst:
        return {uy * Groups(width) + ux / 8, x % 8};
    case ByteLayout::PagesLowBitTop:
        return {uy / 8 * static_cast<std::size_t>(width) + ux, y % 8};
    case ByteLayout::PagesHighBitTop:
        return {uy / 8 * static_cast<std::size_t>(width) + ux, 7 - y % 8};
    case ByteLayout::Columns:
        return {ux * Groups(height) + uy / 8, 7 - y % 8};
    }
    return {};
}

std::vector<PixelOfBit> PixelsOfByte(ByteLayout layout, int width, int height,
                                     std::size_t index) {
    std::vector<PixelOfBit> pixels;
    if (index >= LayoutSize(layout, width, height)) {
        return pixels;
    }
    // The byte's first pixel (the one of bit 7 or bit 0) and the step to the next.
    int x = 0;
    int y = 0;
    int dx = 0;
    int dy = 0;
    if (IsRowLayout(layout)) {
        y = static_cast<int>(index / Groups(width));
        x = static_cast<int>(index % Groups(width)) * 8;
        dx = 1;
    } else if (layout == ByteLayout::Columns) {
        x = static_cast<int>(index / Groups(height));
        y = static_cast<int>(index % Groups(height)) * 8;
        dy = 1;
    } else {
        y = static_cast<int>(index / static_cast<std::size_t>(width)) * 8;
        x = static_cast<int>(index % static_cast<std::size_t>(width));
        dy = 1;
    }
    for (int i = 0; i < 8; ++i) {
        const int px = x + i * dx;
        const int py = y + i * dy;
        if (px < width && py < height) {
            pixels.push_back({px, py, PlaceOfPixel(layout, width, height, px, py).bit});
        }
    }
    std::sort(pixels.begin(), pixels.end(),
              [](const PixelOfBit& a, const PixelOfBit& b) { return a.bit > b.bit; });
    return pixels;
}

std::size_t LayoutSize(ByteLayout layout, int width, int height) {
    if (width < 1 || height < 1) {
        return 0;
    }
    if (IsRowLayout(layout)) {
        return Groups(width) * static_cast<std::size_t>(height);
    }
    return Groups(height) * static_cast<std::size_t>(width);
}

std::vector<std::uint8_t> PackLayout(const PackedPicture& picture, LayoutChoice choice) {
    const int width = picture.width();
    const int height = picture.height();
    const bool flip = choice.ink == InkBit::Light;
    if (choice.layout == ByteLayout::RowsHighBitFirst && !flip) {
        return picture.bytes(); // the picture's own order
    }
    std::vector<std::uint8_t> bytes(LayoutSize(choice.layout, width, height));
    if (bytes.empty()) {
        return bytes;
    }
    if (IsRowLayout(choice.layout)) {
        const bool reverse = choice.layout == ByteLayout::RowsLowBitFirst;
        // Inverting sets the padding bits too; they are cleared again per row.
        const int used = width & 7;
        const auto lastMask = static_cast<std::uint8_t>(used == 0 ? 0xFF : 0xFF00U >> used);
        std::size_t out = 0;
        for (int y = 0; y < height; ++y) {
            const auto row = picture.row(y);
            for (std::size_t k = 0; k < row.size(); ++k) {
                std::uint8_t value = row[k];
                if (flip) {
                    value = static_cast<std::uint8_t>(~value);
                    if (k + 1 == row.size()) {
                        value &= lastMask;
                    }
                }
                bytes[out++] = reverse ? kReversedBits[value] : value;
            }
        }
        return bytes;
    }
    const bool lowBitTop = choice.layout == ByteLayout::PagesLowBitTop;
    const std::size_t pages = Groups(height);
    const std::size_t columns = picture.stride();
    for (std::size_t page = 0; page < pages; ++page) {
        // Flipping sets the bits of rows past the bottom too; only the rows that exist keep
        // theirs.
        const std::size_t rowsHere = std::min<std::size_t>(8, height - page * 8);
        const auto existing = static_cast<std::uint8_t>(
            lowBitTop ? (1U << rowsHere) - 1 : 0xFF00U >> rowsHere);
        const std::uint64_t keep = flip ? existing * 0x0101010101010101ULL : ~std::uint64_t{0};
        const std::uint64_t invert = flip ? ~std::uint64_t{0} : 0;
        const PageRows rows(picture, page);
        const PagePlace place = PlaceOfPage(choice.layout, width, height, page);
        for (std::size_t column = 0; column < columns; ++column) {
            const std::uint64_t turned =
                (Transpose(rows.block(column, lowBitTop)) ^ invert) & keep;
            const std::size_t xs = std::min<std::size_t>(8, width - column * 8);
            std::uint8_t* out = bytes.data() + place.first + column * 8 * place.step;
            if (place.step == 1 && xs == 8 && std::endian::native == std::endian::little) {
                const std::uint64_t inOrder = __builtin_bswap64(turned); // byte c at offset c
                std::memcpy(out, &inOrder, 8);
                continue;
            }
            for (std::size_t c = 0; c < xs; ++c) {
                out[c * place.step] = ByteOf(turned, c);
            }
        }
    }
    return bytes;
}

std::optional<PackedPicture> UnpackLayout(std::span<const std::uint8_t> bytes, int width,
                                          int height, LayoutChoice choice) {
    if (width < 1 || height < 1 || bytes.size() != LayoutSize(choice.layout, width, height)) {
        return std::nullopt;
    }
    PackedPicture picture(width, height);
    const bool flip = choice.ink == InkBit::Light;
    if (IsRowLayout(choice.layout)) {
        const bool reverse = choice.layout == ByteLayout::RowsLowBitFirst;
        std::size_t in = 0;
        for (int y = 0; y < height; ++y) {
            for (std::uint8_t& out : picture.row(y)) {
                const std::uint8_t value = reverse ? kReversedBits[bytes[in++]] : bytes[in++];
                out = flip ? static_cast<std::uint8_t>(~value) : value;
            }
        }
        picture.clearPadding();
        return picture;
    }
    const bool lowBitTop = choice.layout == ByteLayout::PagesLowBitTop;
    const std::size_t pages = Groups(height);
    for (std::size_t page = 0; page < pages; ++page) {
        const PagePlace place = PlaceOfPage(choice.layout, width, height, page);
        for (std::size_t column = 0; column < picture.stride(); ++column) {
            std::uint64_t turned = 0;
            const std::size_t xs = std::min<std::size_t>(8, width - column * 8);
            const std::uint8_t* in = bytes.data() + place.first + column * 8 * place.step;
            for (std::size_t c = 0; c < 8; ++c) {
                const std::uint8_t value = c < xs ? in[c * place.step] : 0;
                const std::uint8_t top = lowBitTop ? kReversedBits[value] : value;
                turned = (turned << 8) | (flip ? static_cast<std::uint8_t>(~top) : top);
            }
            PutBlock(picture, page, column, Transpose(turned));
        }
    }
    picture.clearPadding();
    return picture;
}

} // namespace vornix::image
