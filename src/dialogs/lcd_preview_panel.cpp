#include "dialogs/lcd_preview_panel.h"

#include <algorithm>

#include "lcdsim/lcd_controller.h"

namespace vornix::dialogs {

PanelRun RunOnPanel(std::string_view pxlText) {
    PanelRun run;
    const download::StreamBytesResult stream = download::StreamBytes(pxlText);
    run.error = stream.error;
    if (stream.error != download::StreamError::None) {
        return run;
    }
    run.header = download::CommandStream(pxlText).header();
    lcdsim::LcdController controller;
    controller.feed(stream.bytes);
    run.framebuffer = controller.framebuffer();
    run.rejectedCommands = controller.counters().errors;
    if (!controller.recentErrors().empty()) {
        // The controller keeps only its latest errors; the first one it kept is the earliest
        // still known, which is the first one whenever there were few.
        run.firstRejection = controller.recentErrors().front().describe();
    }
    return run;
}

lcdsim::Framebuffer PictureOnPanel(const QImage& picture) {
    using lcdsim::Framebuffer;
    Framebuffer panel;
    if (picture.isNull()) {
        return panel;
    }
    const int width = std::min(picture.width(), Framebuffer::kWidth);
    const int height = std::min(picture.height(), Framebuffer::kHeight);
    // Only the part that reaches the panel is converted, however large the picture is.
    const QImage part = picture.copy(0, 0, width, height).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(part.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            panel.setPixel(x, y, qAlpha(line[x]) >= 128 && qGray(line[x]) < 128);
        }
    }
    return panel;
}

lcdsim::Framebuffer PanelDifference(const lcdsim::Framebuffer& a, const lcdsim::Framebuffer& b) {
    using lcdsim::Framebuffer;
    Framebuffer difference;
    for (int row = 0; row < Framebuffer::kHeight; ++row) {
        for (int column = 0; column < Framebuffer::kBytesPerRow; ++column) {
            difference.setByte(
                row, column,
                static_cast<std::uint8_t>(a.byteAt(row, column) ^ b.byteAt(row, column)));
        }
    }
    return difference;
}

QImage PanelImage(const lcdsim::Framebuffer& shown, const lcdsim::Framebuffer* marked) {
    using lcdsim::Framebuffer;
    QImage image(Framebuffer::kWidth, Framebuffer::kHeight, QImage::Format_RGB32);
    for (int y = 0; y < Framebuffer::kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < Framebuffer::kWidth; ++x) {
            if (marked != nullptr && marked->pixel(x, y)) {
                line[x] = kMarkRgb;
            } else {
                line[x] = shown.pixel(x, y) ? kDotRgb : kGlassRgb;
            }
        }
    }
    return image;
}

} // namespace vornix::dialogs
