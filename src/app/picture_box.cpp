#include "app/picture_box.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>

namespace vornix::app {

namespace {
constexpr int kBorder = 2; // sunken 3-D border around the 240 x 128 inner area
} // namespace

MaskOutline::MaskOutline(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MaskOutline::paintEvent(QPaintEvent*) {
    // A two-colour dashed frame stays visible on black and on white pixels alike. At a
    // fractional scale the widget's edges fall between device pixels, and a one-pixel pen on
    // them lands half outside: the frame is drawn in whole device pixels, each edge on the
    // outermost row or column of pixels that lies wholly inside the widget.
    QPainter painter(this);
    const QTransform toDevice = painter.deviceTransform();
    const QRectF area = toDevice.mapRect(QRectF(rect()));
    constexpr qreal kSlack = 1.0 / 64; // rounding of the scaled geometry
    const int left = static_cast<int>(std::ceil(area.left() - kSlack));
    const int top = static_cast<int>(std::ceil(area.top() - kSlack));
    const int right = static_cast<int>(std::floor(area.right() + kSlack)) - 1;
    const int bottom = static_cast<int>(std::floor(area.bottom() + kSlack)) - 1;
    if (right < left || bottom < top) {
        return;
    }
    painter.setWorldTransform(toDevice.inverted() * painter.worldTransform());
    const int dash = std::max(1, qRound(4 * devicePixelRatioF()));
    const QList<QRect> edges{
        QRect(left, top, right - left + 1, 1), QRect(left, bottom, right - left + 1, 1),
        QRect(left, top, 1, bottom - top + 1), QRect(right, top, 1, bottom - top + 1)};
    for (const QRect& edge : edges) {
        painter.fillRect(edge, QColor(255, 0, 0));
        // Yellow dashes over the red line, dash and gap of equal length.
        const bool across = edge.height() == 1;
        const int length = across ? edge.width() : edge.height();
        for (int start = 0; start < length; start += 2 * dash) {
            const int size = std::min(dash, length - start);
            painter.fillRect(across ? QRect(edge.left() + start, edge.top(), size, 1)
                                    : QRect(edge.left(), edge.top() + start, 1, size),
                             QColor(255, 255, 0));
        }
    }
}

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette().color(QPalette::Button));
    setPalette(pal);
    m_mask = new MaskOutline(this);
    m_mask->setGeometry(kBorder, kBorder, 240, 128);
    m_mask->hide();
}

void PictureBox::setPicture(const QImage& picture) {
    m_picture = picture;
    update();
    emit changed();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_picture.isNull()) {
        return;
    }
    // Only the exposed part of the picture is drawn: a picture of 8192 x 8192 pixels costs no
    // more to paint than the 240 x 128 pixels that the box shows of it.
    const QRect inner = contentsRect();
    const QRect shown = event->rect() & inner & QRect(inner.topLeft(), m_picture.size());
    if (shown.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(shown, m_picture, shown.translated(-inner.topLeft()));
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    emit doubleClicked();
}

} // namespace vornix::app
