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

    WriteResult result = WriteResult::Failed; // also when the application quits meanwhile
    QEventLoop loop;
    QElapsedTimer stillSince;
    stillSince.start();
    qint64 lastPending = -1;
    const auto check = [&] {
        if (m_linkLost || !m_link.isOpen()) {
            result = WriteResult::Failed;
            loop.quit();
            return;
        }
        const qint64 pending = m_link.pendingBytes();
        if (pending == 0) {
            result = WriteResult::Sent;
            loop.quit();
            return;
        }
        if (pending != lastPending) {
            lastPending = pending;
            stillSince.restart();
        }
        // A controller that holds CTS off for good would keep the download, and the window's
        // close guard, waiting forever; a stop request ends that, but only once the line has
        // stood still, so a command that is moving out is never cut short.
        if (m_flags.StopDownload && stillSince.elapsed() >= kStallMs) {
            m_link.discardPending();
            result = WriteResult::Abandoned;
            loop.quit();
        }
    };
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(kTransmitPollMs);
    connect(&poll, &QTimer::timeout, &loop, check);
    connect(&m_link, &SerialLink::bytesWritten, &loop, check);
    connect(&m_link, &SerialLink::errorOccurred, &loop, check);
    poll.start();
    loop.exec();
    return result;
}

void Pacer::MSComm1_OnComm(LinkError error) {
    if (error != LinkError::Resource || !m_link.isOpen()) {
        return;
    }
    m_linkLost = true;
    m_link.close();
}

} // namespace vornix::download
