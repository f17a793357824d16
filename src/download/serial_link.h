#pragma once

#include <string_view>

#include <QByteArray>
#include <QObject>
#include <QString>

namespace vornix::download {

// Line settings of the controller's serial line. The defaults are the only settings the
// program uses: 9600 baud, no parity, 8 data bits, 1 stop bit, RTS/CTS flow control.
struct LineSettings {
    int baudRate = 9600;
    char parity = 'N'; // 'N', 'E' or 'O'
    int dataBits = 8;
    int stopBits = 1;
    bool rtsCts = true;

    bool operator==(const LineSettings&) const = default;
};

// Reads a settings text such as "9600,N,8,1" (baud, parity, data bits, stop bits); RTS/CTS is
// always on. False for anything else, leaving `settings` unchanged.
bool ParseLineSettings(const QString& text, LineSettings& settings);

enum class LinkError {
    Resource, // the device went away (unplugged, other end of a pseudo-terminal closed)
    Other     // any other report of the port; the download ignores these
};

// What the port reported, in words, for logs and test output.
std::string_view describe(LinkError error);

// The serial line to the LCD controller: what the download needs of a port, so that it can
// run against a real device or against the simulated line of the tests and benchmarks.
class SerialLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens `device` with `settings`; an open link is closed first. False when the device
    // cannot be opened or does not take the settings; the link is then closed.
    virtual bool open(const QString& device, const LineSettings& settings) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;

    // Queues all of `bytes` for sending. False when the link is not open or refuses them.
    virtual bool write(const QByteArray& bytes) = 0;

    // Bytes queued but not yet gone out of the port, in every buffer the program can see.
    virtual qint64 pendingBytes() const = 0;

    // Drops every byte still queued, so that a stalled line can be closed at once.
    virtual void discardPending() = 0;

    // The rate at which bytes leave the line while it is open, in baud; 0 when unknown.
    virtual int lineBaudRate() const = 0;

signals:
    // Some queued bytes have moved on towards the line.
    void bytesWritten(qint64 count);
    void errorOccurred(vornix::download::LinkError error);
};

} // namespace vornix::download
