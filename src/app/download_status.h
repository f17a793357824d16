#pragma once

#include <QWidget>

#include "download/download_view.h"

class QLabel;
class QProgressBar;

namespace vornix::app {

// The download's progress in the window's status bar: how much of the stream has left the
// port, the time the rest needs at the line speed, and a note when the controller holds the
// line up. Once the download has ended it says how (kDownloadComplete, kDownloadStopped or
// kDownloadFailed of image/messages.h) and shows neither bar nor time; before the first download it
// is empty.
class DownloadStatus : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBitsPerByte = 10; // 8N1: start bit, eight data bits, stop bit

    explicit DownloadStatus(QWidget* parent = nullptr);

    // `bytesSent` have left the port out of `bytesTotal`, on a line of `baud` bits a second.
    void setProgress(qint64 bytesSent, qint64 bytesTotal, int baud);
    void setStalled(bool stalled);
    void showEnd(download::DownloadEnd end);

    bool barShown() const;
    int percent() const;
    // The time left while a download runs, how it ended afterwards.
    QString text() const;
    QString noteText() const;

    // "0:26 left" for the seconds the rest of the stream needs; rounded up.
    static QString TimeLeft(qint64 bytesLeft, int baud);
    static QString EndText(download::DownloadEnd end);

private:
    QProgressBar* m_bar;
    QLabel* m_text;
    QLabel* m_note;
};

} // namespace vornix::app
