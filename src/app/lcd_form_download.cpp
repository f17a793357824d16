// The download commands of the window (the port choice and "&Load LCD") and the window as the
// download's display: the File menu, the row counter, the lamp, the status bar and the header
// message.
#include "app/lcd_form.h"

#include <QListWidget>
#include <QMenu>

#include "app/caption_label.h"
#include "app/download_controller.h"
#include "app/download_status.h"
#include "app/lamp.h"
#include "dialogs/edit_session.h"
#include "download/serial_link.h"

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
    if (m_terminationRequested) {
        finishTermination();
    }
}

void LCDForm::OpenCom() {
    m_download->openPort();
}

void LCDForm::setFileMenuEnabled(bool enabled) {
    Menufile->setEnabled(enabled);
    // The download reads the working files: the picture stays as it is until it ends.
    m_edit->setReadOnly(!enabled);
}

void LCDForm::setRowCounter(const QString& caption) {
    RowCounter->setCaption(caption);
}

void LCDForm::setLamp(download::LampColor color) {
    const auto rgb = download::LampRgb(color);
    LoadLight->setFillColor(QColor(rgb.red, rgb.green, rgb.blue));
}

void LCDForm::showHeaderMissing() {
    m_prompts.message(QString::fromLatin1(download::kHeaderMissingMessage),
                      QString::fromLatin1(download::kHeaderMissingTitle), MessageIcon::Stop,
                      MessageButtons::Ok);
}

// The time left is figured at the line's rate: the port is open whenever a download reports
// progress.
void LCDForm::showProgress(qint64 bytesSent, qint64 bytesTotal) {
    Progress->setProgress(bytesSent, bytesTotal, m_download->link().lineBaudRate());
}

void LCDForm::showStalled(bool stalled) {
    Progress->setStalled(stalled);
}

void LCDForm::showEnd(download::DownloadEnd end) {
    Progress->showEnd(end);
}

} // namespace vornix::app
