#include "dialogs/file_form_path_label.h"

#include <QPainter>

namespace vornix::dialogs {

namespace {

constexpr int kDrawFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
const QString kEllipsis = QStringLiteral("\u2026");

} // namespace

QString FileFormPathLabel::visibleText() const {
    const QString full = text();
    const QRect area = contentsRect();
    const auto fits = [&](const QString& candidate) {
        return fontMetrics().boundingRect(area, kDrawFlags, candidate).height() <= area.height();
    };
    if (fits(full)) {
        return full;
    }
    // The shortest cut from the front that fits: more cut always fits at least as well.
    qsizetype low = 1;
    qsizetype high = full.size();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (fits(kEllipsis + full.mid(middle))) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return kEllipsis + full.mid(low);
}

void FileFormPathLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), kDrawFlags, visibleText());
}

} // namespace vornix::dialogs
