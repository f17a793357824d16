#include "dialogs/byte_inspector.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace vornix::dialogs {
namespace {

const QColor kLight(0xF4, 0xF4, 0xEC);
const QColor kDark(0x20, 0x20, 0x20);
const QColor kGrid(0xC8, 0xC8, 0xC0);
const QColor kLitLight(0xFF, 0xC8, 0x50);
const QColor kLitDark(0xC0, 0x50, 0x00);

QString Hex(std::size_t value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, QChar('0'));
}

} // namespace

ByteInspector::ByteInspector(QWidget* parent) : QWidget(parent) {
    setObjectName("ByteInspector");
    setAccessibleName("Byte inspector");
    setMouseTracking(true);
}

void ByteInspector::setPicture(const image::PackedPicture& picture) {
    m_picture = picture;
    setLayoutChoice(m_choice);
}

void ByteInspector::setLayoutChoice(image::LayoutChoice choice) {
    m_choice = choice;
    m_bytes = image::PackLayout(m_picture, m_choice);
    lightByte(std::nullopt);
    fitSize();
}

void ByteInspector::setCellSize(int cell) {
    m_cell = std::max(1, cell);
    fitSize();
}

// Takes the size the picture needs: inside a scroll area nothing else resizes the inspector.
void ByteInspector::fitSize() {
    updateGeometry();
    resize(sizeHint());
    update();
}

QSize ByteInspector::sizeHint() const {
    return {m_picture.width() * m_cell + 1, m_picture.height() * m_cell + 1};
}

void ByteInspector::lightByte(std::optional<std::size_t> index) {
    m_litPixels.clear();
    if (index && *index < m_bytes.size()) {
        m_litPixels = image::PixelsOfByte(m_choice.layout, m_picture.width(), m_picture.height(),
                                          *index);
        m_lit = index;
    } else {
        m_lit.reset();
    }
    describe(std::nullopt);
    update();
}

void ByteInspector::describe(std::optional<image::PixelOfBit> pointed) {
    if (!m_lit) {
        m_description.clear();
        return;
    }
    const std::size_t index = *m_lit;
    m_description = QString("byte %1 (0x%2) = 0x%3")
                        .arg(index)
                        .arg(Hex(index, 3), Hex(m_bytes[index], 2));
    if (pointed) {
        m_description += QString(", bit %1: x %2, y %3").arg(pointed->bit).arg(pointed->x).arg(
            pointed->y);
    }
}

void ByteInspector::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int x = at.x() / m_cell;
    const int y = at.y() / m_cell;
    if (at.x() < 0 || at.y() < 0 || x >= m_picture.width() || y >= m_picture.height()) {
        leaveEvent(event);
        return;
    }
    const image::BitPlace place =
        image::PlaceOfPixel(m_choice.layout, m_picture.width(), m_picture.height(), x, y);
    if (m_lit != place.byte) {
        lightByte(place.byte);
    }
    if (m_pointed != QPoint(x, y)) {
        m_pointed = QPoint(x, y);
        describe(image::PixelOfBit{x, y, place.bit});
        emit byteHovered(place.byte);
    }
}

void ByteInspector::leaveEvent(QEvent* /*event*/) {
    m_pointed = QPoint(-1, -1);
    if (m_lit) {
        lightByte(std::nullopt);
        emit byteHovered(std::nullopt);
    }
}

void ByteInspector::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const int cell = m_cell;
    // Only the pixels in the exposed part: a large picture enlarged is far wider than a screen.
    const QRect exposed = event->rect();
    const int firstX = std::max(0, exposed.left() / cell);
    const int firstY = std::max(0, exposed.top() / cell);
    const int lastX = std::min(m_picture.width() - 1, exposed.right() / cell);
    const int lastY = std::min(m_picture.height() - 1, exposed.bottom() / cell);
    for (int y = firstY; y <= lastY; ++y) {
        for (int x = firstX; x <= lastX; ++x) {
            painter.fillRect(x * cell, y * cell, cell, cell,
                             m_picture.isDark(x, y) ? kDark : kLight);
        }
    }
    for (const image::PixelOfBit& pixel : m_litPixels) {
        painter.fillRect(pixel.x * cell, pixel.y * cell, cell, cell,
                         m_picture.isDark(pixel.x, pixel.y) ? kLitDark : kLitLight);
    }
    if (cell >= 4) {
        painter.setPen(kGrid);
        const int right = m_picture.width() * cell;
        const int bottom = m_picture.height() * cell;
        for (int x = firstX; x <= lastX + 1; ++x) {
            painter.drawLine(x * cell, 0, x * cell, bottom);
        }
        for (int y = firstY; y <= lastY + 1; ++y) {
            painter.drawLine(0, y * cell, right, y * cell);
        }
    }
    if (!m_litPixels.empty()) {
        // The lit byte's bounds, so that it shows on a picture of any colour.
        int left = m_litPixels.front().x;
        int top = m_litPixels.front().y;
        int right = left;
        int bottom = top;
        for (const image::PixelOfBit& pixel : m_litPixels) {
            left = std::min(left, pixel.x);
            top = std::min(top, pixel.y);
            right = std::max(right, pixel.x);
            bottom = std::max(bottom, pixel.y);
        }
        painter.setPen(QPen(kLitDark, 2));
        painter.drawRect(left * cell, top * cell, (right - left + 1) * cell,
                         (bottom - top + 1) * cell);
    }
}

} // namespace vornix::dialogs
