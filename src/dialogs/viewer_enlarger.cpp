#include "dialogs/viewer_enlarger.h"

#include <QMouseEvent>
#include <QPainter>

namespace vornix::dialogs {

ViewerEnlarger::ViewerEnlarger(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BMPEnlarger"));
}

void ViewerEnlarger::setPicture(const QImage& picture) {
    m_picture = picture;
    m_scaled = QImage();
    update();
}

void ViewerEnlarger::paintEvent(QPaintEvent* event) {
    if (m_picture.isNull() || width() <= 0 || height() <= 0) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize target = (QSizeF(size()) * ratio).toSize();
    if (m_scaled.size() != target) {
        m_scaled = m_picture.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        m_scaled.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    const QRect exposed = event->rect() & rect();
    const QRectF source(QPointF(exposed.topLeft()) * ratio, QSizeF(exposed.size()) * ratio);
    painter.drawImage(QRectF(exposed), m_scaled, source);
}

void ViewerEnlarger::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    emit doubleClicked();
}

} // namespace vornix::dialogs
