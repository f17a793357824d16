#pragma once

#include <QFrame>
#include <QImage>

namespace vornix::app {

// The outline of the LCD area laid over the picture: a rectangle from the picture's top-left
// corner, measured in picture pixels.
class MaskOutline : public QWidget {
    Q_OBJECT
public:
    explicit MaskOutline(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The picture box that shows the current picture at one screen pixel per picture pixel from
// its top-left corner, clipped to its inner area. Its tag holds the picture's information text.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);

    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    MaskOutline* mask() const { return m_mask; }

signals:
    void changed(); // a picture was set
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    QString m_tag;
    MaskOutline* m_mask = nullptr;
};

} // namespace vornix::app
