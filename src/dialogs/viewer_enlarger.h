#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "image/edit/picture_editor.h"

namespace vornix::dialogs {

class EditSession;

// The zoom window's image element. It shows the main window's picture, or the picture being
// edited when there is one, and passes the pointer's gestures to the editor in picture pixels.
//
// At zoom 0 (fit) it draws the picture stretched to its own width and height, each axis on its
// own; at zoom N every picture pixel is an N x N block and the element is the picture's size
// times N. Every screen pixel takes the colour of the nearest picture pixel: smoothing would
// blur the pixel edges into grey. On a picture being edited a grid outlines the pixels from 4
// screen pixels a picture pixel up. With no picture the element shows nothing.
class ViewerEnlarger final : public QWidget {
    Q_OBJECT

public:
    explicit ViewerEnlarger(QWidget* parent = nullptr);

    // QImage is shared, not copied: the element holds the same picture as the main window, in
    // its own format (a one-bit picture stays one bit).
    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }

    // The picture to edit, or none; an editable session's picture is the one shown.
    void setSession(EditSession* session);
    bool editing() const;
    void setTool(image::edit::Tool tool);
    image::edit::Tool tool() const { return m_tool; }

    // 0 fits the picture to the element; otherwise screen pixels a picture pixel.
    void setZoom(int zoom);
    int zoom() const { return m_zoom; }
    // The size of the picture shown, in picture pixels.
    QSize shownSize() const;
    // The picture pixel under a point of the element (it may lie outside the picture).
    QPoint pixelAt(const QPointF& position) const;
    // Screen pixels a picture pixel, across and down.
    QSizeF scale() const;

    QSize sizeHint() const override;

signals:
    void doubleClicked();
    // The pointer is over picture pixel `pixel`; `inside` when that pixel is in the picture.
    void pointerAt(const QPoint& pixel, bool inside);
    // Ctrl with the wheel at `at` (a point of the element): steps in (positive) or out
    // (negative).
    void zoomStep(int steps, const QPointF& at);
    // The text tool clicked picture pixel `pixel`: a text box goes there.
    void textClicked(const QPoint& pixel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    const QImage& shown() const;
    QRectF screenArea(const QRect& pixels) const;
    void pictureChanged(const QRect& area);
    image::edit::GestureKeys keysOf(const QMouseEvent* event) const;
    void paintPicture(QPainter& painter, const QRect& exposed);
    void paintGrid(QPainter& painter, const QRect& exposed);
    void paintSelection(QPainter& painter);

    QImage m_picture;
    QImage m_scaled; // the fitted picture at the element's size in device pixels
    QPointer<EditSession> m_session;
    image::edit::Tool m_tool = image::edit::Tool::Pencil;
    Qt::MouseButton m_drawingButton = Qt::NoButton;
    int m_zoom = 0;
};

} // namespace vornix::dialogs
