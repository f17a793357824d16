#include "app/two_colour_picture.h"

#include <algorithm>
#include <array>
#include <functional>

#include <QFile>
#include <QFileInfo>

#include "image/picture/prepare_bitmap.h"
#include "image/photo/prepare_decode.h"

namespace vornix::app {

namespace {

// Rows converted at a time: a deep picture is never copied whole into 32-bit pixels.
constexpr int kStripRows = 64;
constexpr int kMiddleGrey = 128;

// A colour as it looks laid on white, alpha dropped.
QRgb onWhite(QRgb colour) {
    const int alpha = qAlpha(colour);
    if (alpha == 255) {
        return colour | 0xFF000000U;
    }
    const auto blend = [alpha](int channel) {
        return (channel * alpha + 255 * (255 - alpha)) / 255;
    };
    return qRgb(blend(qRed(colour)), blend(qGreen(colour)), blend(qBlue(colour)));
}

int brightness(QRgb colour) {
    return image::GreyLevel(qRed(colour), qGreen(colour), qBlue(colour));
}

// Calls visit(x, y, colour) for every pixel, colours laid on white; stops when it returns
// false.
void forEachPixel(const QImage& picture, const std::function<bool(int, int, QRgb)>& visit) {
    for (int top = 0; top < picture.height(); top += kStripRows) {
        const int rows = std::min(kStripRows, picture.height() - top);
        const QImage strip =
            picture.copy(0, top, picture.width(), rows).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < rows; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(strip.constScanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                if (!visit(x, top + y, onWhite(line[x]))) {
                    return;
                }
            }
        }
    }
}

} // namespace

std::optional<image::MonoImage> TwoColourPicture(const QImage& picture) {
    if (picture.isNull() || picture.width() > image::kMaxPreparedSide ||
        picture.height() > image::kMaxPreparedSide) {
        return std::nullopt;
    }
    std::array<QRgb, 2> colours{};
    int count = 0;
    bool tooMany = false;
    forEachPixel(picture, [&](int, int, QRgb colour) {
        if ((count > 0 && colour == colours[0]) || (count > 1 && colour == colours[1])) {
            return true;
        }
        if (count == 2) {
            tooMany = true;
            return false;
        }
        colours[static_cast<std::size_t>(count++)] = colour;
        return true;
    });
    if (tooMany) {
        return std::nullopt;
    }
    image::MonoImage mono(picture.width(), picture.height());
    QRgb dark = colours[0];
    if (count == 2) {
        dark = brightness(colours[1]) < brightness(colours[0]) ? colours[1] : colours[0];
    } else if (brightness(dark) >= kMiddleGrey) {
        return mono; // one light colour: nothing dark
    }
    forEachPixel(picture, [&](int x, int y, QRgb colour) {
        if (colour == dark) {
            mono.setDark(x, y);
        }
        return true;
    });
    return mono;
}

std::optional<QByteArray> TwoColourBitmap(const QImage& picture) {
    const auto mono = TwoColourPicture(picture);
    if (!mono) {
        return std::nullopt;
    }
    const std::vector<std::uint8_t> bytes = image::MonoBitmapBytes(*mono);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

bool IsBitmapFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "BM";
}

} // namespace vornix::app
