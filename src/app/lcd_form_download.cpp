// The download commands of the window: the port choice and "&Load LCD".
#include "app/lcd_form.h"

#include <QListWidget>

#include "app/download_controller.h"

namespace vornix::app {

void LCDForm::ComList_Click() {
    if (const QListWidgetItem* item = ComList->currentItem()) {
        m_state.PortNumber = item->text();
    }
    m_state.PortStatus = QStringLiteral("CLOSED");
}

void LCDForm::MenuFileLoad_Click() {
    OpenCom();
    m_download->run();
}

void LCDForm::OpenCom() {
    m_download->openPort();
}

} // namespace vornix::app
