#include "dialogs/viewer_enlarger.h"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "dialogs/edit_session.h"

namespace vornix::dialogs {

using image::edit::PixelPoint;

ViewerEnlarger::ViewerEnlarger(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BMPEnlarger"));
    setAccessibleName(QStringLiteral("Picture"));
    setMouseTracking(true);
}

void ViewerEnlarger::setPicture(const QImage& picture) {
    m_picture = picture;
    m_scaled = QImage();
    if (!editing()) {
        setZoom(m_zoom); // the element's size follows the picture's
    }
    update();
}

void ViewerEnlarger::setSession(EditSession* session) {
    if (m_session) {
        disconnect(m_session, nullptr, this, nullptr);
    }
    m_session = session;
    if (session) {
        connect(session, &EditSession::repaint, this, &ViewerEnlarger::pictureChanged);
    }
    pictureChanged(QRect());
}

bool ViewerEnlarger::editing() const {
    return m_session && m_session->editable();
}

void ViewerEnlarger::setTool(image::edit::Tool tool) {
    m_tool = tool;
    if (m_session) {
        m_session->editor().setTool(tool);
        m_session->changed();
    }
}

const QImage& ViewerEnlarger::shown() const {
    return editing() ? m_session->image() : m_picture;
}

QSize ViewerEnlarger::shownSize() const {
    return shown().size();
}

void ViewerEnlarger::setZoom(int zoom) {
    m_zoom = std::max(0, zoom);
    m_scaled = QImage();
    if (m_zoom > 0) {
        setFixedSize(shownSize() * m_zoom);
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    update();
}

QSize ViewerEnlarger::sizeHint() const {
    return m_zoom > 0 ? shownSize() * m_zoom : QWidget::sizeHint();
}

QSizeF ViewerEnlarger::scale() const {
    const QSize picture = shownSize();
    if (picture.isEmpty()) {
        return {1.0, 1.0};
    }
    if (m_zoom > 0) {
        return {static_cast<qreal>(m_zoom), static_cast<qreal>(m_zoom)};
    }
    return {static_cast<qreal>(width()) / picture.width(),
            static_cast<qreal>(height()) / picture.height()};
}

QPoint ViewerEnlarger::pixelAt(const QPointF& position) const {
    const QSizeF s = scale();
    return {static_cast<int>(std::floor(position.x() / s.width())),
            static_cast<int>(std::floor(position.y() / s.height()))};
}

QRectF ViewerEnlarger::screenArea(const QRect& pixels) const {
    const QSizeF s = scale();
    return {pixels.x() * s.width(), pixels.y() * s.height(), pixels.width() * s.width(),
            pixels.height() * s.height()};
}

void ViewerEnlarger::pictureChanged(const QRect& area) {
    if (m_zoom > 0 && size() != shownSize() * m_zoom) {
        setZoom(m_zoom);
        return;
    }
    m_scaled = QImage();
    if (m_zoom == 0 || area.isEmpty()) {
        update();
        return;
    }
    // A little more than the pixels: the selection's outline lies beside them.
    update(screenArea(area).toAlignedRect().adjusted(-2, -2, 2, 2));
}

void ViewerEnlarger::paintEvent(QPaintEvent* event) {
    const QImage& picture = shown();
    if (picture.isNull() || width() <= 0 || height() <= 0) {
        return;
    }
    QPainter painter(this);
    const QRect exposed = event->rect() & rect();
    paintPicture(painter, exposed);
    // The grid helps placing pixels; a picture only shown stays as it is.
    const QSizeF s = scale();
    if (editing() && s.width() >= 4 && s.height() >= 4) {
        paintGrid(painter, exposed);
    }
    if (editing()) {
        paintSelection(painter);
    }
}

void ViewerEnlarger::paintPicture(QPainter& painter, const QRect& exposed) {
    const QImage& picture = shown();
    if (m_zoom == 0) {
        const qreal ratio = devicePixelRatioF();
        const QSize target = (QSizeF(size()) * ratio).toSize();
        if (m_scaled.size() != target) {
            m_scaled = picture.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            m_scaled.setDevicePixelRatio(ratio);
        }
        const QRectF source(QPointF(exposed.topLeft()) * ratio, QSizeF(exposed.size()) * ratio);
        painter.drawImage(QRectF(exposed), m_scaled, source);
        return;
    }
    // Only the pixels under the exposed area are converted and enlarged, so a mouse move
    // costs the same on a large picture as on a small one.
    const QRect pixels = QRect(QPoint(exposed.left() / m_zoom, exposed.top() / m_zoom),
                               QPoint(exposed.right() / m_zoom, exposed.bottom() / m_zoom)) &
                         picture.rect();
    if (pixels.isEmpty()) {
        return;
    }
    const QImage part = picture.copy(pixels).convertToFormat(QImage::Format_RGB32);
    painter.drawImage(screenArea(pixels), part);
}

void ViewerEnlarger::paintGrid(QPainter& painter, const QRect& exposed) {
    const QSizeF s = scale();
    const QSize picture = shownSize();
    painter.setPen(QPen(QColor(128, 128, 128), 0));
    const int firstColumn = std::max(1, static_cast<int>(exposed.left() / s.width()));
    const int lastColumn =
        std::min(picture.width() - 1, static_cast<int>(exposed.right() / s.width()) + 1);
    for (int x = firstColumn; x <= lastColumn; ++x) {
        const int at = static_cast<int>(std::lround(x * s.width()));
        painter.drawLine(at, exposed.top(), at, exposed.bottom());
    }
    const int firstRow = std::max(1, static_cast<int>(exposed.top() / s.height()));
    const int lastRow =
        std::min(picture.height() - 1, static_cast<int>(exposed.bottom() / s.height()) + 1);
    for (int y = firstRow; y <= lastRow; ++y) {
        const int at = static_cast<int>(std::lround(y * s.height()));
        painter.drawLine(exposed.left(), at, exposed.right(), at);
    }
}

void ViewerEnlarger::paintSelection(QPainter& painter) {
    const auto selection = m_session->editor().selection();
    if (!selection) {
        return;
    }
    const QRectF area =
        screenArea(QRect(selection->x, selection->y, selection->width, selection->height));
    // Dashes of both colours show on dark and light pixels alike.
    QPen light(Qt::white, 1);
    painter.setPen(light);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    QPen dashes(QColor(0, 120, 215), 1, Qt::DashLine);
    painter.setPen(dashes);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

image::edit::GestureKeys ViewerEnlarger::keysOf(const QMouseEvent* event) const {
    const Qt::MouseButton button =
        m_drawingButton != Qt::NoButton ? m_drawingButton : event->button();
    return {button != Qt::RightButton, (event->modifiers() & Qt::ShiftModifier) != 0,
            (event->modifiers() & Qt::ControlModifier) != 0};
}

void ViewerEnlarger::mousePressEvent(QMouseEvent* event) {
    if (!editing() || m_drawingButton != Qt::NoButton ||
        (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    m_drawingButton = event->button();
    const QPoint p = pixelAt(event->position());
    m_session->editor().press(PixelPoint{p.x(), p.y()}, keysOf(event));
    m_session->changed();
    if (m_session->editor().tool() == image::edit::Tool::Text) {
        emit textClicked(p);
    }
}

void ViewerEnlarger::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = pixelAt(event->position());
    emit pointerAt(p, shown().rect().contains(p));
    if (!editing() || m_drawingButton == Qt::NoButton) {
        return;
    }
    event->accept();
    m_session->editor().move(PixelPoint{p.x(), p.y()}, keysOf(event));
    m_session->changed();
}

void ViewerEnlarger::mouseReleaseEvent(QMouseEvent* event) {
    if (!editing() || event->button() != m_drawingButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    const QPoint p = pixelAt(event->position());
    const image::edit::GestureKeys keys = keysOf(event);
    m_drawingButton = Qt::NoButton;
    m_session->editor().release(PixelPoint{p.x(), p.y()}, keys);
    m_session->changed();
}

// On a picture being edited the second click of a double-click is a click like the first; on
// a picture shown only, a double-click closes the window.
void ViewerEnlarger::mouseDoubleClickEvent(QMouseEvent* event) {
    if (editing()) {
        mousePressEvent(event);
        return;
    }
    event->accept();
    emit doubleClicked();
}

void ViewerEnlarger::wheelEvent(QWheelEvent* event) {
    if ((event->modifiers() & Qt::ControlModifier) == 0) {
        QWidget::wheelEvent(event); // scrolls the picture
        return;
    }
    event->accept();
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) {
        emit zoomStep(steps, event->position());
    }
}

} // namespace vornix::dialogs
