#include "snapshot_files.h"

#include <cstring>

#include <QImageWriter>
#include <QSaveFile>

#include "image/messages.h"

namespace vornix::lcdsim {

namespace {

bool commit(QSaveFile& file, const std::string& path, std::string& error) {
    if (!file.commit()) {
        error = std::string(image::messages::kCannotWrite) + path + ": " +
                file.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace

QImage FramebufferImage(const Framebuffer& framebuffer) {
    QImage image(Framebuffer::kWidth, Framebuffer::kHeight, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    // Format_Mono keeps the leftmost pixel in bit 7 and index 1 for a set bit, the display
    // memory's own layout, so each row is copied as it is.
    const auto bytes = framebuffer.bytes();
    for (int y = 0; y < Framebuffer::kHeight; ++y) {
        std::memcpy(image.scanLine(y), bytes.data() + y * Framebuffer::kBytesPerRow,
                    Framebuffer::kBytesPerRow);
    }
    return image;
}

bool WritePbmFile(const Framebuffer& framebuffer, const std::string& path, std::string& error) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        error = std::string(image::messages::kCannotWrite) + path + ": " +
                file.errorString().toStdString();
        return false;
    }
    const std::string pbm = framebuffer.toPbm();
    file.write(pbm.data(), static_cast<qint64>(pbm.size()));
    return commit(file, path, error);
}

bool WritePngFile(const Framebuffer& framebuffer, const std::string& path, std::string& error) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        error = std::string(image::messages::kCannotWrite) + path + ": " +
                file.errorString().toStdString();
        return false;
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(FramebufferImage(framebuffer))) {
        file.cancelWriting();
        error = std::string(image::messages::kCannotWrite) + path + ": " +
                writer.errorString().toStdString();
        return false;
    }
    return commit(file, path, error);
}

} // namespace vornix::lcdsim
