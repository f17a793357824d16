#include "download/fake_uart.h"

#include <algorithm>

namespace vornix::download {

namespace {

constexpr qint64 kNsPerSecond = 1'000'000'000;
constexpr qint64 kBitsPerByte = 10; // start bit, 8 data bits, stop bit
// Longest gap between two looks at the line while it sends, so that departures are reported
// as they happen and not only when the queue is empty.
constexpr qint64 kMaxWakeMs = 10;

} // namespace

FakeUart::FakeUart(int drainBaud, QObject* parent)
    : SerialLink(parent), m_baud(std::max(drainBaud, 1)) {
    m_clock.start();
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
    connect(&m_wake, &QTimer::timeout, this, &FakeUart::onWake);
    m_errorRepeat.setInterval(0);
    connect(&m_errorRepeat, &QTimer::timeout, this, &FakeUart::reportResourceError);
}

bool FakeUart::open(const QString& device, const LineSettings& settings) {
    close();
    if (m_openFails || m_gone) {
        return false;
    }
    m_device = device;
    m_settings = settings;
    m_open = true;
    ++m_openCount;
    advance();
    return true;
}

void FakeUart::close() {
    if (!m_open) {
        return;
    }
    advance();
    m_open = false;
    m_queue.clear();
    m_wake.stop();
    m_errorRepeat.stop();
    ++m_closeCount;
}

bool FakeUart::write(const QByteArray& bytes) {
    if (!m_open) {
        return false;
    }
    advance();
    m_queue += bytes;
    advance();
    scheduleWake();
    return true;
}

qint64 FakeUart::pendingBytes() const {
    return m_queue.size() - bytesDueAt(m_clock.nsecsElapsed());
}

QByteArray FakeUart::sentBytes() {
    advance();
    return m_sent;
}

void FakeUart::clearSent() {
    advance();
    m_sent.clear();
}

void FakeUart::discardPending() {
    advance();
    m_queue.clear();
    ++m_discardCount;
}

void FakeUart::setCts(bool on) {
    advance();
    m_cts = on;
    advance();
    scheduleWake();
}

void FakeUart::simulateDeviceGone() {
    advance();
    m_gone = true;
    if (m_open) {
        m_errorRepeat.start();
    }
}

bool FakeUart::lineRunning() const {
    return m_open && m_cts && !m_gone && !m_queue.isEmpty();
}

// How many queued bytes have left by `nowNs`: whole byte times since the anchor, less those
// already taken off the queue. Split so that the product cannot overflow.
qint64 FakeUart::bytesDueAt(qint64 nowNs) const {
    if (!lineRunning()) {
        return 0;
    }
    const qint64 elapsed = std::max<qint64>(nowNs - m_anchorNs, 0);
    const qint64 period = kNsPerSecond * kBitsPerByte;
    const qint64 total = elapsed / period * m_baud + elapsed % period * m_baud / period;
    return std::clamp<qint64>(total - m_sentSinceAnchor, 0, m_queue.size());
}

// Takes the bytes that have left off the queue. While the line is not running, the anchor
// follows the clock, so the next stretch of sending starts when the line starts again.
void FakeUart::advance() {
    const qint64 now = m_clock.nsecsElapsed();
    const qint64 due = bytesDueAt(now);
    if (due > 0) {
        const QByteArray left = m_queue.left(due);
        m_queue.remove(0, due);
        m_sentSinceAnchor += due;
        m_sent += left;
        emit bytesLeft(left);
    }
    if (!lineRunning()) {
        m_anchorNs = now;
        m_sentSinceAnchor = 0;
    }
}

void FakeUart::scheduleWake() {
    if (!lineRunning()) {
        m_wake.stop();
        return;
    }
    const qint64 period = kNsPerSecond * kBitsPerByte;
    const qint64 bytesAtEnd = m_sentSinceAnchor + m_queue.size();
    const qint64 endNs = m_anchorNs + bytesAtEnd / m_baud * period +
                         (bytesAtEnd % m_baud * period + m_baud - 1) / m_baud;
    const qint64 waitNs = std::max<qint64>(endNs - m_clock.nsecsElapsed(), 0);
    const qint64 waitMs = std::min((waitNs + 999'999) / 1'000'000, kMaxWakeMs);
    m_wake.start(static_cast<int>(waitMs));
}

void FakeUart::onWake() {
    const qint64 before = m_sent.size();
    advance();
    scheduleWake();
    if (m_sent.size() > before) {
        emit bytesWritten(m_sent.size() - before);
    }
}

void FakeUart::reportResourceError() {
    if (!m_open) {
        m_errorRepeat.stop();
        return;
    }
    ++m_resourceErrors;
    emit errorOccurred(LinkError::Resource);
}

} // namespace vornix::download
