#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>

#include "download/serial_link.h"

namespace vornix::download {

// A simulated serial line, for tests and benchmarks only: it stands in for a UART and the LCD
// controller behind it. Written bytes queue up and leave the line at exactly `drainBaud` baud,
// ten bit times per byte as on an 8N1 line, measured against a monotonic clock; a timer only
// decides how promptly the departures are noticed, never how many bytes have left. The
// controller's busy signal is simulated by holding CTS off, which stops the line until CTS
// returns. Every byte that left is recorded in order.
class FakeUart : public SerialLink {
    Q_OBJECT
public:
    explicit FakeUart(int drainBaud = 9600, QObject* parent = nullptr);

    bool open(const QString& device, const LineSettings& settings) override;
    bool isOpen() const override { return m_open; }
    void close() override;
    bool write(const QByteArray& bytes) override;
    qint64 pendingBytes() const override;
    void discardPending() override;
    int lineBaudRate() const override { return m_baud; }

    // CTS as the controller drives it: off stops the line, on lets it go on.
    void setCts(bool on);
    bool cts() const { return m_cts; }

    // The next opens fail, as for a missing device or one in use.
    void setOpenFails(bool fails) { m_openFails = fails; }

    // The device disappears: nothing more leaves (writes are still taken, as QSerialPort takes
    // them into its buffer), and while the link stays open it reports LinkError::Resource over
    // and over, as QSerialPort does for a vanished port.
    void simulateDeviceGone();

    int drainBaud() const { return m_baud; }
    // Every byte that has left the line up to now, in order.
    QByteArray sentBytes();
    // Forgets the bytes that have left so far, so that a test can look at the next download
    // alone.
    void clearSent();
    QString device() const { return m_device; }
    LineSettings settings() const { return m_settings; }
    int openCount() const { return m_openCount; }
    int closeCount() const { return m_closeCount; }
    int discardCount() const { return m_discardCount; }
    int resourceErrorCount() const { return m_resourceErrors; }

signals:
    // Bytes have just left the line, in order.
    void bytesLeft(const QByteArray& bytes);

private:
    bool lineRunning() const;
    qint64 bytesDueAt(qint64 nowNs) const;
    void advance();
    void scheduleWake();
    void onWake();
    void reportResourceError();

    int m_baud;
    QElapsedTimer m_clock;
    QTimer m_wake;
    QTimer m_errorRepeat;
    QByteArray m_queue;
    QByteArray m_sent;
    qint64 m_anchorNs = 0; // start of the current stretch of sending
    qint64 m_sentSinceAnchor = 0;
    bool m_open = false;
    bool m_cts = true;
    bool m_openFails = false;
    bool m_gone = false;
    QString m_device;
    LineSettings m_settings;
    int m_openCount = 0;
    int m_closeCount = 0;
    int m_discardCount = 0;
    int m_resourceErrors = 0;
};

} // namespace vornix::download
