#include "app/picture_box.h"

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
    // A two-colour dashed frame stays visible on black and on white pixels alike.
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.setPen(QPen(QColor(255, 0, 0), 1, Qt::SolidLine));
    painter.drawRect(frame);
    painter.setPen(QPen(QColor(255, 255, 0), 1, Qt::DashLine));
    painter.drawRect(frame);
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
