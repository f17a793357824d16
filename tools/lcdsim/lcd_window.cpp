#include "lcd_window.h"

#include <QLabel>
#include <QVBoxLayout>

#include "lcd_view.h"
#include "lcdsim/lcd_controller.h"

namespace vornix::lcdsim {

namespace {

constexpr int kRefreshMs = 40;

} // namespace

LcdWindow::LcdWindow(const LcdController& controller, const QString& linePath, int scale,
                     QWidget* parent)
    : QWidget(parent), m_controller(controller), m_view(new LcdView(scale, this)),
      m_status(new QLabel(this)), m_lastError(new QLabel(this)) {
    setWindowTitle("Vornix LCD simulator - " + linePath);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 0, Qt::AlignHCenter);
    layout->addWidget(m_status);
    layout->addWidget(m_lastError);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lastError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lastError->setStyleSheet("color: #a00000");

    connect(&m_refresh, &QTimer::timeout, this, &LcdWindow::refresh);
    m_refresh.start(kRefreshMs);
    refresh();
}

void LcdWindow::refresh() {
    const std::uint64_t bytes = m_controller.counters().bytesReceived;
    if (m_controller.revision() != m_shownRevision) {
        m_shownRevision = m_controller.revision();
        m_view->display(m_controller.framebuffer());
    }
    if (bytes == m_shownBytes) {
        return;
    }
    m_shownBytes = bytes;
    m_status->setText(statusText());
    const auto& errors = m_controller.recentErrors();
    m_lastError->setText(errors.empty()
                             ? QString()
                             : "Last error: " + QString::fromStdString(errors.back().describe()));
}

QString LcdWindow::statusText() const {
    const ControllerCounters& c = m_controller.counters();
    const Area area = m_controller.area();
    const Position position = m_controller.position();
    return QString("Bytes %1   Commands %2   Data bytes %3 (%4 clipped)   Errors %5\n"
                   "Area %6 bytes x %7 rows   Position row %8, column %9")
        .arg(c.bytesReceived)
        .arg(c.commands)
        .arg(c.dataBytes)
        .arg(c.clippedBytes)
        .arg(c.errors)
        .arg(area.bytesPerRow)
        .arg(area.rows)
        .arg(position.row)
        .arg(position.column);
}

} // namespace vornix::lcdsim
