#pragma once

#include <QLabel>
#include <QStringList>

namespace vornix::dialogs {

// The label that shows the directory list's path. Its text is always the whole path, which is
// also its tool tip. It is drawn on as many lines as the label holds, broken only after a
// "/", so no folder name is split; a path too long for that is shortened in the middle with
// "…", keeping the root and the current folder's own name in view.
class FileFormPathLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The lines as drawn.
    QStringList shownLines() const;

    void setPathText(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vornix::dialogs
