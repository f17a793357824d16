#include "app/caption_label.h"

#include <QPainter>

namespace vornix::app {

CaptionLabel::CaptionLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CaptionLabel::setCaption(const QString& caption) {
    m_caption = caption;
    QString shown = caption;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setText(shown);
    if (m_elideMode != Qt::ElideNone) {
        setToolTip(caption);
    }
}

void CaptionLabel::setElideMode(Qt::TextElideMode mode) {
    m_elideMode = mode;
    setToolTip(mode == Qt::ElideNone ? QString() : m_caption);
    update();
}

QString CaptionLabel::shownText() const {
    if (m_elideMode == Qt::ElideNone) {
        return text();
    }
    return fontMetrics().elidedText(text(), m_elideMode, contentsRect().width());
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
    if (m_elideMode == Qt::ElideNone) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine,
                     shownText());
}

} // namespace vornix::app
