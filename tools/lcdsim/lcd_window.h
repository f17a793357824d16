#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

namespace vornix::lcdsim {

class LcdController;
class LcdView;

// The simulator's window: the panel and, under it, what the controller has taken so far.
// It follows the controller on a short timer rather than on every byte, so that a fast stream
// costs one repaint per frame at most.
class LcdWindow : public QWidget {
    Q_OBJECT
public:
    LcdWindow(const LcdController& controller, const QString& linePath, int scale,
              QWidget* parent = nullptr);

private:
    void refresh();
    QString statusText() const;

    const LcdController& m_controller;
    LcdView* m_view;
    QLabel* m_status;
    QLabel* m_lastError;
    QTimer m_refresh;
    std::uint64_t m_shownRevision = ~std::uint64_t{0};
    std::uint64_t m_shownBytes = ~std::uint64_t{0};
};

} // namespace vornix::lcdsim
