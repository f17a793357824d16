#pragma once

#include <QImage>
#include <QWidget>

#include "lcdsim/framebuffer.h"

namespace vornix::lcdsim {

// The panel as it looks on the desk: a dark bezel around yellow-green glass, each LCD pixel
// drawn as a square dot `scale` window pixels wide with a hairline gap, dark where the
// display memory has a set bit and a faint ghost where it has not.
class LcdView : public QWidget {
    Q_OBJECT
public:
    explicit LcdView(int scale, QWidget* parent = nullptr);

    // Redraws from the display memory.
    void display(const Framebuffer& framebuffer);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect glassRect() const;

    int m_scale;
    QImage m_pixels;
};

} // namespace vornix::lcdsim
