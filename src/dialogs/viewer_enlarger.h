#pragma once

#include <QPixmap>
#include <QWidget>

namespace vornix::dialogs {

// The zoom window's image element: draws its picture stretched to its own width and height,
// each axis on its own, so the picture's proportions follow the element's. The picture is an
// LCD pixel picture, so every screen pixel takes the colour of the nearest picture pixel;
// smoothing would blur the pixel edges into grey. With no picture the element shows nothing.
class ViewerEnlarger final : public QWidget {
    Q_OBJECT

public:
    explicit ViewerEnlarger(QWidget* parent = nullptr);

    // QPixmap is shared, not copied: the element holds the same picture as the main window.
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace vornix::dialogs
