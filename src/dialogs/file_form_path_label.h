#pragma once

#include <QLabel>

namespace vornix::dialogs {

// The label that shows the directory list's path. Its text is always the whole path; what it
// draws is wrapped at any character, and a path too long for the label loses its beginning
// to "…" so that the current directory's own name stays in view.
class FileFormPathLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString visibleText() const;
};

} // namespace vornix::dialogs
