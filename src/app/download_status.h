#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace vornix::app {

// The download's progress in the window's status bar: how much of the stream has left the
// port, the time the rest needs at the line speed, and a note when the controller holds the
// line up.
class DownloadStatus : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBitsPerByte = 10; // 8N1: start bit, eight data bits, stop bit

    explicit DownloadStatus(QWidget* parent = nullptr);

    // `bytesSent` have left the port out of `bytesTotal`, on a line of `baud` bits a second.
    void setProgress(qint64 bytesSent, qint64 bytesTotal, int baud);
    void setStalled(bool stalled);

    int percent() const;
    QString timeLeftText() const;
    QString noteText() const;

    // "0:26 left" for the seconds the rest of the stream needs; rounded up.
    static QString TimeLeft(qint64 bytesLeft, int baud);

private:
    QProgressBar* m_bar;
    QLabel* m_timeLeft;
    QLabel* m_note;
};

} // namespace vornix::app
