#include "image/byte_layout.h"

#include <algorithm>
#include <array>
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

// An 8 x 8 block of bits turned over its diagonal. Byte r of `rows` holds row r with column 0
// in bit 7; byte c of the result holds column c with row 0 in bit 7.
std::array<std::uint8_t, 8> Transpose(const std::array<std::uint8_t, 8>& rows) {
    std::uint64_t x = 0;
    for (const std::uint8_t byte : rows) {
        x = (x << 8) | byte;
    }
    std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
    x = x ^ t ^ (t << 28);
    std::array<std::uint8_t, 8> columns{};
    for (int c = 0; c < 8; ++c) {
        columns[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(x >> (56 - 8 * c));
    }
    return columns;
}

// The 8 x 8 block of the picture whose top-left pixel is (8 * column, 8 * page); rows past
// the bottom edge are light.
std::array<std::uint8_t, 8> Block(const PackedPicture& picture, std::size_t page,
                                  std::size_t column) {
    std::array<std::uint8_t, 8> rows{};
    for (std::size_t r = 0; r < 8; ++r) {
        const std::size_t y = page * 8 + r;
        if (y < static_cast<std::size_t>(picture.height())) {
            rows[r] = picture.row(static_cast<int>(y))[column];
        }
    }
    return rows;
}

void PutBlock(PackedPicture& picture, std::size_t page, std::size_t column,
              const std::array<std::uint8_t, 8>& rows) {
    for (std::size_t r = 0; r < 8; ++r) {
        const std::size_t y = page * 8 + r;
        if (y < static_cast<std::size_t>(picture.height())) {
            picture.row(static_cast<int>(y))[column] = rows[r];
        }
    }
}

// Where byte c of the transposed block (x = 8 * column + c, rows 8 * page ...) goes in a
// page or column layout, or SIZE_MAX when x is past the right edge.
std::size_t TransposedIndex(ByteLayout layout, int width, int height, std::size_t page,
                            std::size_t column, std::size_t c) {
    const std::size_t x = column * 8 + c;
    if (x >= static_cast<std::size_t>(width)) {
        return SIZE_MAX;
    }
    if (layout == ByteLayout::Columns) {
        return x * Groups(height) + page;
    }
    return page * static_cast<std::size_t>(width) + x;
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
    std::vector<std::uint8_t> bytes(LayoutSize(choice.layout, width, height));
    if (bytes.empty()) {
        return bytes;
    }
    const bool flip = choice.ink == InkBit::Light;
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
        const std::size_t rowsHere = std::min<std::size_t>(8, height - page * 8);
        const auto padMask = static_cast<std::uint8_t>(0xFF00U >> rowsHere); // rows that exist
        for (std::size_t column = 0; column < columns; ++column) {
            std::array<std::uint8_t, 8> block = Block(picture, page, column);
            const std::array<std::uint8_t, 8> turned = Transpose(block);
            for (std::size_t c = 0; c < 8; ++c) {
                const std::size_t at =
                    TransposedIndex(choice.layout, width, height, page, column, c);
                if (at == SIZE_MAX) {
                    break;
                }
                std::uint8_t value = turned[c];
                if (flip) {
                    value = static_cast<std::uint8_t>(~value & padMask);
                }
                bytes[at] = lowBitTop ? kReversedBits[value] : value;
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
        for (std::size_t column = 0; column < picture.stride(); ++column) {
            std::array<std::uint8_t, 8> turned{};
            for (std::size_t c = 0; c < 8; ++c) {
                const std::size_t at =
                    TransposedIndex(choice.layout, width, height, page, column, c);
                if (at == SIZE_MAX) {
                    break;
                }
                const std::uint8_t value = lowBitTop ? kReversedBits[bytes[at]] : bytes[at];
                turned[c] = flip ? static_cast<std::uint8_t>(~value) : value;
            }
            PutBlock(picture, page, column, Transpose(turned));
        }
    }
    picture.clearPadding();
    return picture;
}

} // namespace vornix::image
