#include "dialogs/file_form_path_label.h"

#include <algorithm>
#include <optional>

#include <QPainter>

namespace vornix::dialogs {

namespace {

const QString kEllipsis = QStringLiteral("\u2026");

// "/home/u/pics" -> "/", "home/", "u/", "pics".
QStringList piecesOf(const QString& text) {
    QStringList pieces;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype slash = text.indexOf(QLatin1Char('/'), start);
        const qsizetype end = slash < 0 ? text.size() : slash + 1;
        pieces.append(text.mid(start, end - start));
        start = end;
    }
    return pieces;
}

// The text broken into at most maxLines lines no wider than width, each break just after a
// "/"; nullopt when it does not fit so.
std::optional<QStringList> wrapAtSeparators(const QString& text, const QFontMetrics& metrics,
                                            int width, int maxLines) {
    const QStringList pieces = piecesOf(text);
    QStringList lines;
    QString line;
    for (const QString& piece : pieces) {
        if (metrics.horizontalAdvance(piece) > width) {
            return std::nullopt;
        }
        if (!line.isEmpty() && metrics.horizontalAdvance(line + piece) > width) {
            lines.append(line);
            line.clear();
        }
        line += piece;
    }
    if (!line.isEmpty()) {
        lines.append(line);
    }
    if (lines.size() > maxLines) {
        return std::nullopt;
    }
    return lines;
}

} // namespace

void FileFormPathLabel::setPathText(const QString& path) {
    setText(path);
    setToolTip(path);
}

QStringList FileFormPathLabel::shownLines() const {
    const QString full = text();
    const QFontMetrics metrics = fontMetrics();
    const int width = std::max(1, contentsRect().width());
    const int maxLines = std::max(1, contentsRect().height() / std::max(1, metrics.lineSpacing()));
    if (auto lines = wrapAtSeparators(full, metrics, width, maxLines)) {
        return *lines;
    }
    // Whole folder names left out in the middle, as few as will do, keeping more of the end.
    const QStringList pieces = piecesOf(full);
    const auto count = static_cast<int>(pieces.size());
    for (int kept = count - 1; kept >= 2; --kept) {
        for (int head = 1; head < kept; ++head) {
            const QString candidate = pieces.mid(0, head).join(QString()) + kEllipsis +
                                      QLatin1Char('/') +
                                      pieces.mid(count - (kept - head)).join(QString());
            if (auto lines = wrapAtSeparators(candidate, metrics, width, maxLines)) {
                return *lines;
            }
        }
    }
    // A name too long even so: the longest middle-shortened text that still fits; a single
    // line of the label's width always does.
    int low = width;
    int high = width * maxLines;
    QStringList best = {metrics.elidedText(full, Qt::ElideMiddle, width)};
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (auto lines = wrapAtSeparators(metrics.elidedText(full, Qt::ElideMiddle, middle),
                                          metrics, width, maxLines)) {
            best = *lines;
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return best;
}

void FileFormPathLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    const int spacing = fontMetrics().lineSpacing();
    const QStringList lines = shownLines();
    for (int i = 0; i < lines.size(); ++i) {
        painter.drawText(QRect(area.left(), area.top() + i * spacing, area.width(), spacing),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, lines[i]);
    }
}

} // namespace vornix::dialogs
