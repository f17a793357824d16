#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/photo/prepare_image.h"

namespace vornix::image {

// A one-bit picture in the panel's own order: rows from the top, each row ceil(width / 8)
// bytes, the leftmost pixel of a byte in bit 7, a set bit a dark pixel. The bits past the
// right edge of a row are always clear. Every picture format is read into and written from
// this one type.
class PackedPicture {
public:
    PackedPicture() = default;
    // All pixels light. Sides below 1 give an empty picture; callers bound the sides (see
    // kMaxPicturePixels) before they ask for the memory.
    PackedPicture(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_width == 0 || m_height == 0; }
    // Bytes in one row: ceil(width / 8).
    std::size_t stride() const { return m_stride; }

    bool isDark(int x, int y) const {
        return (m_bytes[offset(y) + static_cast<std::size_t>(x >> 3)] >> (7 - (x & 7))) & 1U;
    }
    void setDark(int x, int y, bool dark);

    std::span<const std::uint8_t> row(int y) const {
        return {m_bytes.data() + offset(y), m_stride};
    }
    // A row to fill in place. Whoever writes it keeps the bits past the right edge clear.
    std::span<std::uint8_t> row(int y) { return {m_bytes.data() + offset(y), m_stride}; }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

    // Clears the bits past the right edge of every row.
    void clearPadding();

    friend bool operator==(const PackedPicture&, const PackedPicture&) = default;

private:
    std::size_t offset(int y) const { return static_cast<std::size_t>(y) * m_stride; }

    int m_width = 0;
    int m_height = 0;
    std::size_t m_stride = 0;
    std::vector<std::uint8_t> m_bytes;
};

// The same pixels in the other picture type.
PackedPicture PackedFromMono(const MonoImage& picture);
MonoImage MonoFromPacked(const PackedPicture& picture);

} // namespace vornix::image
