#include "app/download_status.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

#include "app/message_text.h"
#include "image/text/messages.h"

namespace vornix::app {

DownloadStatus::DownloadStatus(QWidget* parent)
    : QWidget(parent), m_bar(new QProgressBar(this)), m_text(new QLabel(this)),
      m_note(new QLabel(this)) {
    setObjectName(QStringLiteral("DownloadStatus"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setMaximumWidth(90);
    m_bar->setMaximumHeight(14);
    m_bar->setTextVisible(false);
    m_bar->setToolTip(QStringLiteral("Part of the picture that has left the port"));
    // An empty bar reads as an empty text field: it is shown only while a download runs.
    m_bar->hide();
    m_note->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
    layout->addWidget(m_bar);
    layout->addWidget(m_text);
    layout->addWidget(m_note, 1);
}

QString DownloadStatus::TimeLeft(qint64 bytesLeft, int baud) {
    if (baud <= 0 || bytesLeft < 0) {
        return {};
    }
    const qint64 bits = bytesLeft * kBitsPerByte;
    const qint64 seconds = (bits + baud - 1) / baud;
    return QStringLiteral("%1:%2 left")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void DownloadStatus::setProgress(qint64 bytesSent, qint64 bytesTotal, int baud) {
    const int value = bytesTotal > 0 ? static_cast<int>(bytesSent * 100 / bytesTotal) : 0;
    m_bar->setValue(qBound(0, value, 100));
    m_bar->show();
    m_text->setText(TimeLeft(bytesTotal - bytesSent, baud));
}

QString DownloadStatus::EndText(download::DownloadEnd end) {
    return Text(download::describe(end));
}

void DownloadStatus::showEnd(download::DownloadEnd end) {
    m_bar->hide();
    m_note->clear();
    m_text->setText(EndText(end));
}

bool DownloadStatus::barShown() const {
    return !m_bar->isHidden();
}

void DownloadStatus::setStalled(bool stalled) {
    m_note->setText(stalled ? Text(image::messages::kControllerNotReady) : QString());
}

int DownloadStatus::percent() const {
    return m_bar->value();
}

QString DownloadStatus::text() const {
    return m_text->text();
}

QString DownloadStatus::noteText() const {
    return m_note->text();
}

} // namespace vornix::app
