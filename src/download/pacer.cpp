#include "download/pacer.h"

#include <limits>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QScopeGuard>

namespace vornix::download {

namespace {

// How often a transmit wait looks at the port's queues when no signal has woken it: the
// driver's queue (TIOCOUTQ) reports nothing by itself.
constexpr int kTransmitPollMs = 1;
constexpr qint64 kBitsPerByte = 10; // start bit, 8 data bits, stop bit
// Added to the time the queued bytes need at the line's rate, so that the alarm rings just
// after they have gone rather than just before.
constexpr qint64 kDrainAlarmSlackNs = 20'000;

} // namespace

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

WriteResult Pacer::waitUntilSent() {
    WriteResult result = WriteResult::Failed; // also when the application quits meanwhile
    bool decided = false;
    QEventLoop loop;
    QElapsedTimer stillSince;
    stillSince.start();
    qint64 lastPending = -1;
    const auto check = [&] {
        if (decided) {
            return;
        }
        const std::optional<WriteResult> verdict = transmitVerdict(stillSince, lastPending);
        if (verdict) {
            result = *verdict;
            decided = true;
            loop.quit();
        }
    };
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(kTransmitPollMs);
    connect(&poll, &QTimer::timeout, &loop, check);
    connect(&m_link, &SerialLink::bytesWritten, &loop, check);
    connect(&m_link, &SerialLink::errorOccurred, &loop, check);
    // The alarm is set from whole bytes, so it is set once for the whole command and again
    // only when it rang too early (the controller held CTS off for a while).
    connect(&m_drainAlarm, &DrainAlarm::rang, &loop, [&] {
        check();
        if (!decided) {
            expectDrainedIn(m_link.pendingBytes());
        }
    });
    expectDrainedIn(m_link.pendingBytes());
    poll.start();
    loop.exec();
    m_drainAlarm.disarm();
    reportStall(false);
    return result;
}

// What a look at the port says about the command being sent; nullopt while it is still going.
std::optional<WriteResult> Pacer::transmitVerdict(QElapsedTimer& stillSince, qint64& lastPending) {
    if (m_linkLost || !m_link.isOpen()) {
        return WriteResult::Failed;
    }
    const qint64 pending = m_link.pendingBytes();
    if (pending == 0) {
        return WriteResult::Sent;
    }
    if (pending != lastPending) {
        lastPending = pending;
        stillSince.restart();
        reportStall(false);
    } else if (stillSince.elapsed() >= kStallReportMs) {
        reportStall(true);
    }
    // A controller that holds CTS off for good would keep the download, and the window's close
    // guard, waiting forever; a stop request ends that, but only once the line has stood
    // still, so a command that is moving out is never cut short.
    if (m_flags.StopDownload && stillSince.elapsed() >= kStallMs) {
        m_link.discardPending();
        return WriteResult::Abandoned;
    }
    return std::nullopt;
}

// Wakes the wait when `pendingBytes` should have left at the line's rate: the poll alone
// would notice the end of every command up to a millisecond late.
void Pacer::expectDrainedIn(qint64 pendingBytes) {
    const qint64 baud = m_link.lineBaudRate();
    if (baud <= 0 || pendingBytes <= 0) {
        return;
    }
    const qint64 bitTimes = pendingBytes * kBitsPerByte;
    const qint64 ns = bitTimes / baud * 1'000'000'000 + bitTimes % baud * 1'000'000'000 / baud;
    m_drainAlarm.arm(std::chrono::nanoseconds(ns + kDrainAlarmSlackNs));
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
