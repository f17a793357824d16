#include "app/picture_kind.h"

#include <array>
#include <cstdint>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace vornix::app {

namespace {

constexpr qsizetype kHeadSize = 32;

// The first bytes of a regular file; empty for anything else. A FIFO or device standing at the
// path is never read, so that looking at it cannot block the window.
QByteArray fileHead(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return {};
    }
    QByteArray head;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        std::array<char, kHeadSize> buffer{};
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got > 0) {
            head = QByteArray(buffer.data(), static_cast<qsizetype>(got));
        }
    }
    ::close(fd);
    return head;
}

// Bits a pixel of a bitmap's head; 0 when the head is too short to say.
int bitmapDepth(const QByteArray& head) {
    if (head.size() < 30) {
        return 0;
    }
    return static_cast<unsigned char>(head[28]) | static_cast<unsigned char>(head[29]) << 8;
}

PictureKind kindByContent(const QByteArray& head) {
    if (head.startsWith("BM")) {
        return bitmapDepth(head) == 1 ? PictureKind::OneBitBitmap : PictureKind::DeeperBitmap;
    }
    if (head.startsWith("\x89PNG\r\n\x1a\n")) {
        return PictureKind::Png;
    }
    if (head.startsWith("\xff\xd8\xff")) {
        return PictureKind::Jpeg;
    }
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) {
        return PictureKind::Gif;
    }
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4))) {
        return PictureKind::Tiff;
    }
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") {
        return PictureKind::WebP;
    }
    return PictureKind::None;
}

} // namespace

bool IsPictureEnding(const QString& ending) {
    static const QStringList kEndings = {
        QStringLiteral("BMP"),  QStringLiteral("PXL"), QStringLiteral("JPG"),
        QStringLiteral("JPEG"), QStringLiteral("JPE"), QStringLiteral("PNG"),
        QStringLiteral("GIF"),  QStringLiteral("TIF"), QStringLiteral("TIFF"),
        QStringLiteral("WEBP"), QStringLiteral("ICO"), QStringLiteral("CUR"),
        QStringLiteral("XPM"),  QStringLiteral("XBM"), QStringLiteral("PBM"),
        QStringLiteral("PGM"),  QStringLiteral("PPM"), QStringLiteral("PNM"),
        QStringLiteral("SVG"),  QStringLiteral("TGA"), QStringLiteral("DIB"),
    };
    return kEndings.contains(ending.toUpper());
}

PictureKind PictureKindOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return PictureKind::None;
    }
    if (const PictureKind kind = kindByContent(fileHead(path)); kind != PictureKind::None) {
        return kind;
    }
    const QString ending = info.suffix().toUpper();
    if (ending == QStringLiteral("PXL")) {
        return PictureKind::Pxl;
    }
    // A file named as a bitmap that holds no bitmap is no picture the save would lose.
    if (ending != QStringLiteral("BMP") && IsPictureEnding(ending)) {
        return PictureKind::OtherPicture;
    }
    return PictureKind::None;
}

QString PictureKindWords(PictureKind kind, const QString& path) {
    switch (kind) {
    case PictureKind::None:
        return QStringLiteral("no picture");
    case PictureKind::OneBitBitmap:
        return QStringLiteral("a one-bit BMP picture");
    case PictureKind::DeeperBitmap: {
        const int depth = bitmapDepth(fileHead(path));
        return depth > 0 ? QStringLiteral("a BMP picture of %1 bits a pixel").arg(depth)
                         : QStringLiteral("a BMP picture");
    }
    case PictureKind::Png:
        return QStringLiteral("a PNG picture");
    case PictureKind::Jpeg:
        return QStringLiteral("a JPEG picture");
    case PictureKind::Gif:
        return QStringLiteral("a GIF picture");
    case PictureKind::Tiff:
        return QStringLiteral("a TIFF picture");
    case PictureKind::WebP:
        return QStringLiteral("a WebP picture");
    case PictureKind::Pxl:
        return QStringLiteral("a PXL file");
    case PictureKind::OtherPicture:
        return QStringLiteral("a picture");
    }
    return QStringLiteral("a picture");
}

} // namespace vornix::app
