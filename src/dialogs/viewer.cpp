#include "dialogs/viewer.h"

#include <QCloseEvent>

#include "dialogs/viewer_enlarger.h"

namespace vornix::dialogs {

Viewer::Viewer(QWidget* parent)
    : QWidget(parent, Qt::Window), m_enlarger(new ViewerEnlarger(this)) {
    setObjectName(QStringLiteral("Viewer"));
    setWindowTitle(QStringLiteral("Viewer"));
    // Closing destroys the window, so nothing of it (size, position) outlives it.
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kDesignWidth, kDesignHeight);
    Form_Resize();
    connect(m_enlarger, &ViewerEnlarger::doubleClicked, this, &Viewer::BMPEnlarger_DblClick);
}

void Viewer::setPicture(const QImage& picture) {
    m_enlarger->setPicture(picture);
}

const QImage& Viewer::picture() const {
    return m_enlarger->picture();
}

void Viewer::Form_Resize() {
    m_enlarger->setGeometry(0, 0, width(), height());
}

void Viewer::BMPEnlarger_DblClick() {
    close();
}

void Viewer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Viewer::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!m_unloaded) {
        m_unloaded = true;
        emit unloaded();
    }
}

} // namespace vornix::dialogs
