#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace vornix::lcdsim {

class SerialEndpoint;

// Takes the bytes off the simulator's end of the line. Paced, it reads no faster than a line
// of the given speed delivers them (ten bit times per byte for 8N1), in small slices on a
// 10 ms timer, so that unread data piles up in the line's buffer and the sender is held back
// as by a real controller. Fast, it reads whatever has arrived as soon as it arrives.
class LineReader : public QObject {
    Q_OBJECT
public:
    LineReader(SerialEndpoint& endpoint, int baud, bool fast, QObject* parent = nullptr);

    void start();

signals:
    void received(const QByteArray& bytes);

private:
    void readPaced();
    void readAvailable();
    // After an end of file or a hang-up, waits a little before listening again, so that a
    // line that stays hung up does not keep the process busy.
    void pauseListening();
    qint64 readInto(qint64 budget);

    SerialEndpoint& m_endpoint;
    double m_bytesPerSecond;
    bool m_fast;
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_lastTickNs = 0;
    double m_credit = 0.0;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_buffer;
};

} // namespace vornix::lcdsim
