#include "line_reader.h"

#include <algorithm>

#include <QSocketNotifier>

#include "serial_endpoint.h"

namespace vornix::lcdsim {

namespace {

constexpr int kTickMs = 10;
constexpr int kHangUpPauseMs = 100;
constexpr double kBitsPerByte = 10.0; // start bit, eight data bits, stop bit
// Unused reading time is kept for at most this long, so that data arriving after an idle
// spell is still read at line speed rather than in one gulp.
constexpr double kMaxBurstSeconds = 0.05;
constexpr qint64 kFastSlice = 64 * 1024;
constexpr qint64 kFastMaxPerWakeUp = 1024 * 1024;

} // namespace

LineReader::LineReader(SerialEndpoint& endpoint, int baud, bool fast, QObject* parent)
    : QObject(parent), m_endpoint(endpoint), m_bytesPerSecond(baud / kBitsPerByte), m_fast(fast) {
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &LineReader::readPaced);
}

void LineReader::start() {
    if (m_fast) {
        m_notifier = new QSocketNotifier(m_endpoint.readDescriptor(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &LineReader::readAvailable);
        return;
    }
    m_clock.start();
    m_lastTickNs = 0;
    m_tick.start();
}

void LineReader::readPaced() {
    const qint64 now = m_clock.nsecsElapsed();
    m_credit += static_cast<double>(now - m_lastTickNs) * 1e-9 * m_bytesPerSecond;
    m_lastTickNs = now;
    m_credit = std::min(m_credit, std::max(1.0, m_bytesPerSecond * kMaxBurstSeconds));
    const auto budget = static_cast<qint64>(m_credit);
    if (budget < 1) {
        return;
    }
    m_credit -= static_cast<double>(std::max<qint64>(0, readInto(budget)));
}

void LineReader::readAvailable() {
    qint64 total = 0;
    while (total < kFastMaxPerWakeUp) {
        const qint64 got = readInto(kFastSlice);
        if (got <= 0) {
            if (got < 0) {
                pauseListening();
            }
            return;
        }
        total += got;
    }
}

void LineReader::pauseListening() {
    m_notifier->setEnabled(false);
    QTimer::singleShot(kHangUpPauseMs, this, [this] { m_notifier->setEnabled(true); });
}

// Returns the number of bytes read and passed on, 0 when nothing had arrived, -1 at an end of
// file or a hang-up.
qint64 LineReader::readInto(qint64 budget) {
    m_buffer.resize(budget);
    const auto result = m_endpoint.read(m_buffer.data(), static_cast<std::size_t>(budget));
    switch (result.status) {
    case SerialEndpoint::ReadStatus::Data:
        m_buffer.resize(static_cast<qsizetype>(result.size));
        emit received(m_buffer);
        return static_cast<qint64>(result.size);
    case SerialEndpoint::ReadStatus::Empty:
        return 0;
    case SerialEndpoint::ReadStatus::Closed:
        break;
    }
    return -1;
}

} // namespace vornix::lcdsim
