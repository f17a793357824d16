#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace vornix::lcdsim {

// The display memory of the 240 x 128 panel: one bit per pixel, rows from the top, eight
// pixels per byte with bit 7 the leftmost and a set bit a dark pixel. This is the same byte
// layout the controller receives, so a data byte lands in memory unchanged.
class Framebuffer {
public:
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 128;
    static constexpr int kBytesPerRow = kWidth / 8;

    // All pixels light.
    void clear() { m_bytes.fill(0); }

    // True for a dark pixel; false outside the panel.
    bool pixel(int x, int y) const;
    void setPixel(int x, int y, bool dark);

    // The byte at a row (0..127) and byte column (0..29); 0 outside the panel.
    std::uint8_t byteAt(int row, int column) const;
    // Writes one byte; returns false (and changes nothing) outside the panel.
    bool setByte(int row, int column, std::uint8_t value);

    // Number of dark pixels.
    int darkPixels() const;

    // All 30 x 128 bytes, row after row.
    std::span<const std::uint8_t> bytes() const { return m_bytes; }

    // Binary PBM (P4): "P4\n240 128\n" followed by the bytes above. PBM's 1 is black, so the
    // display memory is written as it is.
    std::string toPbm() const;

    // One line per row, '#' for a dark and '.' for a light pixel, each line ended by '\n'.
    std::string toText() const;

    bool operator==(const Framebuffer&) const = default;

private:
    std::array<std::uint8_t, kBytesPerRow * kHeight> m_bytes{};
};

} // namespace vornix::lcdsim
