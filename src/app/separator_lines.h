#pragma once

#include <QWidget>

namespace vornix::app {

// The two separator lines along the top edge of the client area, just under the menu bar.
// Their right ends follow the window's width; positions are kept in twips (15 per pixel).
class SeparatorLines : public QWidget {
    Q_OBJECT
public:
    explicit SeparatorLines(QWidget* parent = nullptr);

    int line1X2() const { return m_x2; }
    int line2X2() const { return m_x2; }
    void setX2(int twips);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_x2 = 4080;
};

} // namespace vornix::app
