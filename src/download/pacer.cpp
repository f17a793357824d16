#include "download/pacer.h"

#include <algorithm>
#include <limits>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QScopeGuard>

namespace vornix::download {

namespace {

constexpr qint64 kBitsPerByte = 10; // start bit, 8 data bits, stop bit
// Added to the time the queued bytes need at the line's rate, so that the alarm rings just
// after they have gone rather than just before.
constexpr qint64 kDrainAlarmSlackNs = 20'000;

} // namespace

std::string_view describe(WriteResult result) {
    switch (result) {
    case WriteResult::Sent:
        return "every byte has left the port";
    case WriteResult::Failed:
        return "the port refused the bytes or went away";
    case WriteResult::Abandoned:
        return "stopped while the controller held the line; the queued bytes were dropped";
    }
    return "unknown result";
}

Pacer::Pacer(DownloadFlags& flags, SerialLink& link, QObject* parent)
    : QObject(parent), m_flags(flags), m_link(link) {
    connect(&m_link, &SerialLink::errorOccurred, this, &Pacer::MSComm1_OnComm);
    m_timer1.setInterval(kTickMs);
    m_timer1.setTimerType(Qt::PreciseTimer);
    connect(&m_timer1, &QTimer::timeout, this, &Pacer::Timer1_Timer);
    m_timer1.start();
}

void Pacer::Timer1_Timer() {
    // Outside a pause the counter is kept small; during one it must not jump back, or the
    // pause would never see its end.
    if (m_tag != kBusyTag && m_flags.TimerTicks > kTickWrapLimit) {
        m_flags.TimerTicks = 0;
    }
    if (m_flags.TimerTicks < std::numeric_limits<std::int32_t>::max()) {
        ++m_flags.TimerTicks;
    }
}

void Pacer::Delay(int ticks) {
    m_tag = kBusyTag;
    const qint64 end = static_cast<qint64>(m_flags.TimerTicks) + ticks;
    if (end > m_flags.TimerTicks) {
        if (!m_timer1.isActive()) {
            m_timer1.start();
        }
        QEventLoop loop;
        // Connected after Timer1_Timer, so the counter has already moved on when this runs.
        connect(&m_timer1, &QTimer::timeout, &loop, [&] {
            if (m_flags.TimerTicks >= end) {
                loop.quit();
            }
        });
        loop.exec();
    }
    m_tag.clear();
}

WriteResult Pacer::WriteComPort(const QByteArray& text) {
    m_flags.Transmitting = true;
    const auto clearTransmitting = qScopeGuard([this] { m_flags.Transmitting = false; });
    m_linkLost = false;
    if (!m_link.isOpen() || !m_link.write(text)) {
        return WriteResult::Failed;
    }
    return waitUntilSent();
}

// What one transmit wait knows about the line between two looks at it.
struct Pacer::TransmitWait {
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer stillSince; // since the pending count last changed
    qint64 lastPending = -1;
    qint64 alarmSetFor = -1; // the pending count the drain alarm was set from; -1: not set
    int pollMs = kFirstPollMs;
    std::optional<WriteResult> result;
};

WriteResult Pacer::waitUntilSent() {
    TransmitWait wait;
    wait.stillSince.start();
    wait.poll.setSingleShot(true);
    wait.poll.setTimerType(Qt::PreciseTimer);
    connect(&wait.poll, &QTimer::timeout, &wait.loop, [&] {
        ++m_transmitPolls;
        lookAtLine(wait);
    });
    connect(&m_link, &SerialLink::bytesWritten, &wait.loop, [&] { lookAtLine(wait); });
    connect(&m_link, &SerialLink::errorOccurred, &wait.loop, [&] { lookAtLine(wait); });
    connect(&m_drainAlarm, &DrainAlarm::rang, &wait.loop, [&] { onDrainAlarm(wait); });
    lookAtLine(wait);
    if (!wait.result) {
        wait.loop.exec();
    }
    m_drainAlarm.disarm();
    reportStall(false);
    return wait.result.value_or(WriteResult::Failed); // Failed also when the application quits
}

void Pacer::lookAtLine(TransmitWait& wait) {
    if (wait.result) {
        return;
    }
    wait.result = transmitVerdict(wait);
    if (wait.result) {
        wait.poll.stop();
        wait.loop.quit();
        return;
    }
    wait.poll.start(wait.pollMs);
}

// What a look at the port says about the command being sent; nullopt while it is still going.
std::optional<WriteResult> Pacer::transmitVerdict(TransmitWait& wait) {
    if (m_linkLost || !m_link.isOpen()) {
        return WriteResult::Failed;
    }
    const qint64 pending = m_link.pendingBytes();
    if (pending == 0) {
        return WriteResult::Sent;
    }
    if (pending != wait.lastPending) {
        wait.lastPending = pending;
        wait.stillSince.restart();
        wait.pollMs = kFirstPollMs;
        reportStall(false);
        if (wait.alarmSetFor < 0) {
            expectDrainedIn(wait, pending);
        }
        return std::nullopt;
    }
    wait.pollMs = std::min(wait.pollMs * 2, kLongestPollMs);
    if (wait.stillSince.elapsed() < kStallMs) {
        return std::nullopt;
    }
    reportStall(true);
    // A controller that holds the line for good would keep the download, and the window's
    // close guard, waiting forever. A stop request ends that, but only once the line has stood
    // still for the stall time: what is queued then is dropped, command in flight included.
    if (m_flags.StopDownload) {
        m_link.discardPending();
        return WriteResult::Abandoned;
    }
    return std::nullopt;
}

// The alarm is set from whole bytes at the line's rate. It rang early when the controller
// held the line for a while: it is set again only once bytes have moved since, so a held line
// is left to the backed-off poll and to bytesWritten.
void Pacer::onDrainAlarm(TransmitWait& wait) {
    const qint64 setFor = wait.alarmSetFor;
    wait.alarmSetFor = -1;
    lookAtLine(wait);
    if (wait.result) {
        return;
    }
    const qint64 pending = m_link.pendingBytes();
    if (pending != setFor) {
        expectDrainedIn(wait, pending);
    }
}

// Wakes the wait when `pendingBytes` should have left at the line's rate: the poll alone
// would notice the end of every command up to a millisecond late.
void Pacer::expectDrainedIn(TransmitWait& wait, qint64 pendingBytes) {
    const qint64 baud = m_link.lineBaudRate();
    if (baud <= 0 || pendingBytes <= 0) {
        return;
    }
    const qint64 bitTimes = pendingBytes * kBitsPerByte;
    const qint64 ns = bitTimes / baud * 1'000'000'000 + bitTimes % baud * 1'000'000'000 / baud;
    m_drainAlarm.arm(std::chrono::nanoseconds(ns + kDrainAlarmSlackNs));
    wait.alarmSetFor = pendingBytes;
}

void Pacer::reportStall(bool stalled) {
    if (stalled != m_stalled) {
        m_stalled = stalled;
        emit stallChanged(stalled);
    }
}

void Pacer::MSComm1_OnComm(LinkError error) {
    if (error != LinkError::Resource || !m_link.isOpen()) {
        return;
    }
    m_linkLost = true;
    m_link.close();
}

} // namespace vornix::download
