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

    // Clears Qt's write buffer and flushes the driver's output queue (TCOFLUSH).
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
};

} // namespace vornix::download
