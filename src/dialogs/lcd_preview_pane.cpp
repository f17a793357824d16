#include "dialogs/lcd_preview_pane.h"

#include <algorithm>

#include <QPainter>

#include "dialogs/lcd_preview_panel.h"
#include "lcdsim/framebuffer.h"

namespace vornix::dialogs {

namespace {

const QColor kFrameColour(38, 40, 44);

} // namespace

LcdPreviewPane::LcdPreviewPane(int zoom, QWidget* parent)
    : QWidget(parent), m_zoom(std::max(1, zoom)), m_pixels(PanelImage(lcdsim::Framebuffer{})) {
    setFixedSize(sizeHint());
}

void LcdPreviewPane::setPixels(const QImage& pixels) {
    m_pixels = pixels;
    update();
}

QSize LcdPreviewPane::sizeHint() const {
    return {lcdsim::Framebuffer::kWidth * m_zoom + 2 * kFrame,
            lcdsim::Framebuffer::kHeight * m_zoom + 2 * kFrame};
}

void LcdPreviewPane::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kFrameColour);
    const QRect glass(kFrame, kFrame, lcdsim::Framebuffer::kWidth * m_zoom,
                      lcdsim::Framebuffer::kHeight * m_zoom);
    painter.fillRect(glass, QColor::fromRgb(kGlassRgb));
    // Whole-number scaling without smoothing keeps every pixel a sharp square.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(glass.topLeft(), m_pixels.size() * m_zoom), m_pixels);
}

} // namespace vornix::dialogs
