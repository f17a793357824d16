#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

namespace vornix::download::testing {

// A pseudo-terminal standing in for the controller's port: the program opens `slavePath`,
// the test reads what arrives on the master side. The test keeps a descriptor of the slave
// side too, to read its line settings and so that closing the port is no hang-up.
class Pty {
public:
    Pty() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            return;
        }
        m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
        m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
        m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read);
        QObject::connect(m_notifier, &QSocketNotifier::activated, [this] { drain(); });
    }
    ~Pty() {
        closeMaster();
        delete m_notifier;
        if (m_slave >= 0) {
            ::close(m_slave);
        }
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return m_master >= 0 && m_slave >= 0; }
    const QString& slavePath() const { return m_slavePath; }
    int slave() const { return m_slave; }

    // Stops reading: what is written from now on piles up in the pseudo-terminal.
    void pauseReading() {
        if (m_notifier != nullptr) {
            m_notifier->setEnabled(false);
        }
    }

    // The other end goes away, as when a USB adapter is pulled.
    void closeMaster() {
        if (m_notifier != nullptr) {
            m_notifier->setEnabled(false);
        }
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

    // Everything received so far, after waiting until nothing new has come for `quietMs`.
    QByteArray received(int quietMs = 100) {
        QElapsedTimer quiet;
        quiet.start();
        qsizetype seen = m_received.size();
        while (quiet.elapsed() < quietMs) {
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
            drain();
            if (m_received.size() != seen) {
                seen = m_received.size();
                quiet.restart();
            }
        }
        return m_received;
    }

private:
    void drain() {
        if (m_master < 0) {
            return;
        }
        char buffer[4096];
        ssize_t count = 0;
        while ((count = ::read(m_master, buffer, sizeof buffer)) > 0) {
            m_received.append(buffer, count);
        }
    }

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_received;
};

} // namespace vornix::download::testing
