#include "dialogs/viewer_enlarger.h"

#include <QMouseEvent>
#include <QPainter>

namespace vornix::dialogs {

ViewerEnlarger::ViewerEnlarger(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BMPEnlarger"));
}

void ViewerEnlarger::setPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
}

void ViewerEnlarger::paintEvent(QPaintEvent* /*event*/) {
    if (m_picture.isNull() || width() <= 0 || height() <= 0) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(rect(), m_picture);
}

void ViewerEnlarger::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    emit doubleClicked();
}

} // namespace vornix::dialogs
