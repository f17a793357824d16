#include "app/separator_lines.h"

#include <QPainter>

namespace vornix::app {

SeparatorLines::SeparatorLines(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SeparatorLines::setX2(int twips) {
    m_x2 = twips;
    update();
}

void SeparatorLines::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int x2 = m_x2 / 15;
    // Line1 in the shadow colour, Line2 one pixel lower in the title-text colour: an etched rule.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, x2, 0);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 1, x2, 1);
}

} // namespace vornix::app
