#include "image/picture/packed_picture.h"

namespace vornix::image {

PackedPicture::PackedPicture(int width, int height) {
    if (width < 1 || height < 1) {
        return;
    }
    m_width = width;
    m_height = height;
    m_stride = (static_cast<std::size_t>(width) + 7) / 8;
    m_bytes.assign(m_stride * static_cast<std::size_t>(height), 0);
}

void PackedPicture::setDark(int x, int y, bool dark) {
    std::uint8_t& byte = m_bytes[offset(y) + static_cast<std::size_t>(x >> 3)];
    const auto bit = static_cast<std::uint8_t>(0x80U >> (x & 7));
    byte = dark ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
}

void PackedPicture::clearPadding() {
    const int used = m_width & 7;
    if (used == 0) {
        return;
    }
    const auto keep = static_cast<std::uint8_t>(0xFF00U >> used);
    for (int y = 0; y < m_height; ++y) {
        row(y).back() &= keep;
    }
}

PackedPicture PackedFromMono(const MonoImage& picture) {
    PackedPicture packed(picture.width, picture.height);
    for (int y = 0; y < packed.height(); ++y) {
        for (int x = 0; x < packed.width(); ++x) {
            if (picture.isDark(x, y)) {
                packed.setDark(x, y, true);
            }
        }
    }
    return packed;
}

MonoImage MonoFromPacked(const PackedPicture& picture) {
    MonoImage mono(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.isDark(x, y)) {
                mono.setDark(x, y);
            }
        }
    }
    return mono;
}

} // namespace vornix::image
