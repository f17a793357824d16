#include "download/serial_port_link.h"

#include <sys/ioctl.h>
#include <termios.h>

namespace vornix::download {

namespace {

QSerialPort::Parity qtParity(char parity) {
    switch (parity) {
    case 'E':
        return QSerialPort::EvenParity;
    case 'O':
        return QSerialPort::OddParity;
    default:
        return QSerialPort::NoParity;
    }
}

} // namespace

SerialPortLink::SerialPortLink(QObject* parent) : SerialLink(parent) {
    connect(&m_port, &QSerialPort::bytesWritten, this, &SerialLink::bytesWritten);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPortLink::onError);
    // Nothing the controller sends is used; reading it keeps the input side from filling up.
    connect(&m_port, &QSerialPort::readyRead, this, [this] { m_port.readAll(); });
}

// A serial driver holds close() until its queue has drained, up to half a minute with CTS off;
// whatever is still queued when the link goes away is dropped instead.
SerialPortLink::~SerialPortLink() {
    discardPending();
    close();
}

bool SerialPortLink::open(const QString& device, const LineSettings& settings) {
    close();
    m_port.setPortName(device);
    if (!applySettings(settings) || !m_port.open(QIODevice::ReadWrite)) {
        close();
        return false;
    }
    return true;
}

bool SerialPortLink::applySettings(const LineSettings& settings) {
    return m_port.setBaudRate(settings.baudRate) &&
           m_port.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) &&
           m_port.setParity(qtParity(settings.parity)) &&
           m_port.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop
                                                     : QSerialPort::OneStop) &&
           m_port.setFlowControl(settings.rtsCts ? QSerialPort::HardwareControl
                                                 : QSerialPort::NoFlowControl);
}

bool SerialPortLink::isOpen() const {
    return m_port.isOpen();
}

void SerialPortLink::close() {
    if (m_port.isOpen()) {
        m_port.close();
    }
}

bool SerialPortLink::write(const QByteArray& bytes) {
    if (!m_port.isOpen()) {
        return false;
    }
    return m_port.write(bytes) == bytes.size();
}

qint64 SerialPortLink::pendingBytes() const {
    if (!m_port.isOpen()) {
        return 0;
    }
    qint64 pending = m_port.bytesToWrite();
    int driverQueue = 0;
    if (::ioctl(nativeHandle(), TIOCOUTQ, &driverQueue) == 0 && driverQueue > 0) {
        pending += driverQueue;
    }
    return pending;
}

void SerialPortLink::discardPending() {
    if (!m_port.isOpen()) {
        return;
    }
    m_port.clear(QSerialPort::Output);
    ::tcflush(nativeHandle(), TCOFLUSH);
}

int SerialPortLink::lineBaudRate() const {
    return m_port.isOpen() ? static_cast<int>(m_port.baudRate()) : 0;
}

int SerialPortLink::nativeHandle() const {
    return m_port.isOpen() ? static_cast<int>(m_port.handle()) : -1;
}

void SerialPortLink::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError) {
        return;
    }
    emit errorOccurred(error == QSerialPort::ResourceError ? LinkError::Resource
                                                           : LinkError::Other);
}

} // namespace vornix::download
