#include "lcd_view.h"

#include <QPainter>

namespace vornix::lcdsim {

namespace {

constexpr int kBezel = 28;
constexpr int kGlassMargin = 10;
constexpr int kCornerRadius = 14;
const QColor kBezelColor(38, 40, 44);
const QColor kBezelEdge(70, 73, 80);
const QColor kGlassColor(163, 184, 96);
const QColor kGhostColor(155, 176, 91);
const QColor kDarkColor(28, 36, 30);
// The hairline between dots: a little lighter than the dot it belongs to, so that dark areas
// read as solid and light ones as plain glass.
const QColor kDarkGapColor(58, 68, 52);
const QColor kLightGapColor(163, 184, 96);

} // namespace

LcdView::LcdView(int scale, QWidget* parent) : QWidget(parent), m_scale(scale) {
    setFixedSize(sizeHint());
    display(Framebuffer{});
}

QSize LcdView::sizeHint() const {
    const int frame = 2 * (kBezel + kGlassMargin);
    return {Framebuffer::kWidth * m_scale + frame, Framebuffer::kHeight * m_scale + frame};
}

void LcdView::display(const Framebuffer& framebuffer) {
    const int s = m_scale;
    // From a scale of 3 on, a one-pixel gap separates the dots as on the glass.
    const int dotSize = s >= 3 ? s - 1 : s;
    const QRgb dotColor[2] = {kGhostColor.rgb(), kDarkColor.rgb()};
    const QRgb gapColor[2] = {kLightGapColor.rgb(), kDarkGapColor.rgb()};
    m_pixels = QImage(Framebuffer::kWidth * s, Framebuffer::kHeight * s, QImage::Format_RGB32);
    for (int y = 0; y < m_pixels.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_pixels.scanLine(y));
        const bool gapRow = y % s >= dotSize;
        for (int x = 0; x < m_pixels.width(); ++x) {
            const int on = framebuffer.pixel(x / s, y / s) ? 1 : 0;
            line[x] = gapRow || x % s >= dotSize ? gapColor[on] : dotColor[on];
        }
    }
    update();
}

QRect LcdView::glassRect() const {
    return rect().adjusted(kBezel, kBezel, -kBezel, -kBezel);
}

void LcdView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kBezelEdge, 2));
    painter.setBrush(kBezelColor);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), kCornerRadius, kCornerRadius);

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(20, 21, 24), 2));
    painter.setBrush(kGlassColor);
    painter.drawRect(glassRect());
    painter.drawImage(glassRect().topLeft() + QPoint(kGlassMargin, kGlassMargin), m_pixels);
}

} // namespace vornix::lcdsim
