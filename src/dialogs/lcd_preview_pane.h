#pragma once

#include <QImage>
#include <QWidget>

namespace vornix::dialogs {

// Shows a panel-sized picture enlarged by a whole factor, each pixel a hard-edged square, inside
// a thin dark frame like the bezel of the module.
class LcdPreviewPane final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFrame = 4; // frame width in screen pixels

    explicit LcdPreviewPane(int zoom, QWidget* parent = nullptr);

    // The picture at real size; it is drawn from the pane's top left corner inside the frame.
    void setPixels(const QImage& pixels);
    const QImage& pixels() const { return m_pixels; }
    int zoom() const { return m_zoom; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_zoom;
    QImage m_pixels;
};

} // namespace vornix::dialogs
