#include "dialogs/import_dialog_images.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "image/photo/prepare_decode.h"

namespace vornix::dialogs {

namespace {

// The colour laid on white by its opacity.
std::uint8_t onWhite(QRgb colour) {
    const int grey = image::GreyLevel(qRed(colour), qGreen(colour), qBlue(colour));
    const int alpha = qAlpha(colour);
    return static_cast<std::uint8_t>((grey * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace

image::GreyImage GreyFromImage(const QImage& picture) {
    image::GreyImage grey;
    if (picture.isNull() ||
        std::int64_t{picture.width()} * picture.height() > image::kMaxPicturePixels) {
        return grey;
    }
    // Converted a band of rows at a time, so that a large picture needs no second full-colour
    // copy of itself.
    constexpr int kBand = 64;
    grey.width = picture.width();
    grey.height = picture.height();
    grey.pixels.resize(static_cast<std::size_t>(grey.width) *
                       static_cast<std::size_t>(grey.height));
    std::uint8_t* out = grey.pixels.data();
    for (int top = 0; top < grey.height; top += kBand) {
        const int rows = std::min(kBand, grey.height - top);
        const QImage band =
            picture.copy(0, top, grey.width, rows).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < rows; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(band.constScanLine(y));
            out = std::transform(line, line + grey.width, out, onWhite);
        }
    }
    return grey;
}

QImage MonoToImage(const image::MonoImage& picture) {
    if (picture.width <= 0 || picture.height <= 0) {
        return {};
    }
    QImage mono(picture.width, picture.height, QImage::Format_Mono);
    if (mono.isNull()) {
        return {};
    }
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < picture.height; ++y) {
        uchar* line = mono.scanLine(y);
        std::fill_n(line, mono.bytesPerLine(), uchar{0xFF}); // all light (colour 1)
        for (int x = 0; x < picture.width; ++x) {
            if (picture.isDark(x, y)) {
                line[x / 8] = static_cast<uchar>(line[x / 8] & ~(0x80U >> (x % 8)));
            }
        }
    }
    return mono;
}

lcdsim::Framebuffer MonoOnPanel(const image::MonoImage& picture) {
    using lcdsim::Framebuffer;
    Framebuffer panel;
    const int width = std::min(picture.width, Framebuffer::kWidth);
    const int height = std::min(picture.height, Framebuffer::kHeight);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (picture.isDark(x, y)) {
                panel.setPixel(x, y, true);
            }
        }
    }
    return panel;
}

} // namespace vornix::dialogs
