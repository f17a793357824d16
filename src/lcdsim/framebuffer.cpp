#include "lcdsim/framebuffer.h"

#include <bit>

namespace vornix::lcdsim {

namespace {

bool insidePanel(int x, int y) {
    return x >= 0 && x < Framebuffer::kWidth && y >= 0 && y < Framebuffer::kHeight;
}

std::uint8_t maskOf(int x) {
    return static_cast<std::uint8_t>(0x80U >> (x % 8));
}

} // namespace

bool Framebuffer::pixel(int x, int y) const {
    if (!insidePanel(x, y)) {
        return false;
    }
    return (m_bytes[y * kBytesPerRow + x / 8] & maskOf(x)) != 0;
}

void Framebuffer::setPixel(int x, int y, bool dark) {
    if (!insidePanel(x, y)) {
        return;
    }
    std::uint8_t& byte = m_bytes[y * kBytesPerRow + x / 8];
    byte = dark ? static_cast<std::uint8_t>(byte | maskOf(x))
                : static_cast<std::uint8_t>(byte & ~maskOf(x));
}

std::uint8_t Framebuffer::byteAt(int row, int column) const {
    if (row < 0 || row >= kHeight || column < 0 || column >= kBytesPerRow) {
        return 0;
    }
    return m_bytes[row * kBytesPerRow + column];
}

bool Framebuffer::setByte(int row, int column, std::uint8_t value) {
    if (row < 0 || row >= kHeight || column < 0 || column >= kBytesPerRow) {
        return false;
    }
    m_bytes[row * kBytesPerRow + column] = value;
    return true;
}

int Framebuffer::darkPixels() const {
    int count = 0;
    for (std::uint8_t byte : m_bytes) {
        count += std::popcount(byte);
    }
    return count;
}

std::string Framebuffer::toPbm() const {
    std::string pbm = "P4\n240 128\n";
    pbm.append(m_bytes.begin(), m_bytes.end());
    return pbm;
}

std::string Framebuffer::toText() const {
    std::string text;
    text.reserve((kWidth + 1) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            text.push_back(pixel(x, y) ? '#' : '.');
        }
        text.push_back('\n');
    }
    return text;
}

} // namespace vornix::lcdsim
