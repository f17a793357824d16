#include "snapshot_files.h"

#include <cstring>

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include "image/text/messages.h"
#include "image/files/output_file.h"

namespace vornix::lcdsim {

namespace {

// Writes the bytes through image::OutputFile, as every file a user names is written.
bool writeSnapshot(const std::string& path, std::string_view bytes, std::string& error) {
    image::OutputFile file(path);
    if (!file.write(bytes) || !file.commit()) {
        error = std::string(image::messages::kCannotWrite) + path + ": " + file.reason();
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
    return writeSnapshot(path, framebuffer.toPbm(), error);
}

bool WritePngFile(const Framebuffer& framebuffer, const std::string& path, std::string& error) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(FramebufferImage(framebuffer))) {
        error = std::string(image::messages::kCannotWrite) + path + ": " +
                writer.errorString().toStdString();
        return false;
    }
    return writeSnapshot(path, std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                         error);
}

} // namespace vornix::lcdsim
