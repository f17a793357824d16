#pragma once

#include <QSerialPort>

#include "download/serial_link.h"

namespace vornix::download {

// The controller's line on a real serial device (or a pseudo-terminal), through QSerialPort.
// Bytes the controller sends back are read and dropped, so they never pile up.
class SerialPortLink : public SerialLink {
    Q_OBJECT
public:
    explicit SerialPortLink(QObject* parent = nullptr);
    ~SerialPortLink() override;

    bool open(const QString& device, const LineSettings& settings) override;
    bool isOpen() const override;
    void close() override;
    bool write(const QByteArray& bytes) override;

    // Qt's own write buffer plus the driver's output queue (TIOCOUTQ).
    qint64 pendingBytes() const override;

    // Clears Qt's write buffer and flushes the driver's output queue (TCOFLUSH). The next
    // close() then returns at once, even on a line that the controller holds.
    void discardPending() override;

    int lineBaudRate() const override;

    // The native descriptor while open, -1 otherwise.
    int nativeHandle() const;

    // What the port reported last, such as why open() failed (QSerialPort::NoError when
    // nothing).
    QSerialPort::SerialPortError portError() const { return m_port.error(); }

private:
    bool applySettings(const LineSettings& settings);
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_device;
    // Set when the queue was dropped but the driver's closing wait could not be turned off:
    // the last close of the device, which waits for the line, then happens on a thread of
    // its own.
    bool m_closeInBackground = false;
    // The closing wait that discardPending() turned off, given back at the next open of the
    // same device; -1 when there is nothing to give back.
    int m_savedClosingWait = -1;
    QString m_savedClosingWaitDevice;
};

} // namespace vornix::download
