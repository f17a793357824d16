#pragma once

#include <QImage>
#include <QWidget>

namespace vornix::dialogs {

// The zoom window's image element: draws its picture stretched to its own width and height,
// each axis on its own, so the picture's proportions follow the element's. The picture is an
// LCD pixel picture, so every screen pixel takes the colour of the nearest picture pixel;
// smoothing would blur the pixel edges into grey. With no picture the element shows nothing.
// The picture is scaled once for each size of the element and the result kept, so painting
// costs the same for a picture of 8192 x 8192 pixels as for one of 240 x 128.
class ViewerEnlarger final : public QWidget {
    Q_OBJECT

public:
    explicit ViewerEnlarger(QWidget* parent = nullptr);

    // QImage is shared, not copied: the element holds the same picture as the main window, in
    // its own format (a one-bit picture stays one bit).
    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    QImage m_scaled; // m_picture at the element's size in device pixels, made when first painted
};

} // namespace vornix::dialogs
