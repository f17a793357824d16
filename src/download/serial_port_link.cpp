#include "download/serial_port_link.h"

#include <thread>

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

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

#ifdef ASYNC_CLOSING_WAIT_NONE
constexpr int kNoClosingWait = ASYNC_CLOSING_WAIT_NONE;
#else
constexpr int kNoClosingWait = 65535;
#endif

// Sets the time the driver's close waits for the output queue to drain (in hundredths of a
// second, or ASYNC_CLOSING_WAIT_NONE) and returns the previous one; -1 where the driver has no
// such setting (a pseudo-terminal) or refuses the change (it may need administrator rights).
int setClosingWait(int fd, int closingWait) {
#if defined(__linux__) && defined(TIOCGSERIAL)
    serial_struct info = {};
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &info) != 0) {
        return -1;
    }
    const int previous = info.closing_wait;
    info.closing_wait = static_cast<unsigned short>(closingWait);
    if (previous != closingWait && ::ioctl(fd, TIOCSSERIAL, &info) != 0) {
        return -1;
    }
    return previous;
#else
    Q_UNUSED(fd);
    Q_UNUSED(closingWait);
    return -1;
#endif
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
    if (pendingBytes() > 0) {
        discardPending();
    }
    close();
}

bool SerialPortLink::open(const QString& device, const LineSettings& settings) {
    close();
    m_port.setPortName(device);
    if (!applySettings(settings) || !m_port.open(QIODevice::ReadWrite)) {
        close();
        return false;
    }
    m_device = device;
    if (m_savedClosingWait >= 0 && device == m_savedClosingWaitDevice) {
        setClosingWait(nativeHandle(), m_savedClosingWait);
        m_savedClosingWait = -1;
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
    if (!m_port.isOpen()) {
        return;
    }
    const int held = m_closeInBackground ? ::dup(nativeHandle()) : -1;
    m_closeInBackground = false;
    m_port.close();
    if (held >= 0) {
        std::thread([held] { ::close(held); }).detach();
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
    // Whatever is dropped, a line that the controller holds never drains, and the driver's
    // close would wait for it (30 s by default): turn that wait off where the driver allows,
    // and otherwise leave the waiting close to a thread of its own.
    const int previous = setClosingWait(nativeHandle(), kNoClosingWait);
    if (previous >= 0 && previous != kNoClosingWait) {
        m_savedClosingWait = previous;
        m_savedClosingWaitDevice = m_device;
    }
    m_closeInBackground = previous < 0;
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
