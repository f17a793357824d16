#include "app/caption_label.h"

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
}

} // namespace vornix::app
