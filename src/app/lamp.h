#pragma once

#include <QColor>
#include <QWidget>

namespace vornix::app {

// A filled circle: the download lamp and its rim.
class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(const QColor& fill, QWidget* parent = nullptr);

    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor& fill);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill;
};

} // namespace vornix::app
