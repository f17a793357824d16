#pragma once

#include <chrono>
#include <memory>

#include <QObject>
#include <QSocketNotifier>

namespace vornix::download {

// A one-shot alarm with sub-millisecond precision, for waking a transmit wait at the moment a
// command should have left the line. Qt's timers count whole milliseconds, which would add
// most of a millisecond to every command; a timerfd watched by the event loop does not.
// Where no timerfd exists the alarm never rings, and the wait falls back on its poll.
class DrainAlarm : public QObject {
    Q_OBJECT
public:
    explicit DrainAlarm(QObject* parent = nullptr);
    ~DrainAlarm() override;

    // Rings once, `after` from now; a new arm replaces the previous one.
    void arm(std::chrono::nanoseconds after);
    void disarm();

signals:
    void rang();

private:
    void onReadable();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace vornix::download
