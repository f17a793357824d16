#include "app/lamp.h"

#include <QPainter>

namespace vornix::app {

Lamp::Lamp(const QColor& fill, QWidget* parent) : QWidget(parent), m_fill(fill) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void Lamp::setFillColor(const QColor& fill) {
    if (fill != m_fill) {
        m_fill = fill;
        update();
    }
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_fill);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace vornix::app
