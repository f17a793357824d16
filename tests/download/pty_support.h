#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

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
        stopPacedReading();
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

    // Reads like a controller behind a real UART: at most `burst` bytes at a time, at
    // `bytesPerSecond` on average, on a thread of its own so that the program's event loop
    // cannot delay it. Until stopPacedReading(), received() sees only what was read so far.
    void startPacedReading(int bytesPerSecond, int burst) {
        pauseReading();
        m_pacing = true;
        m_pacer = std::thread([this, bytesPerSecond, burst] { readPaced(bytesPerSecond, burst); });
    }

    // Ends the paced reading; from now on everything is read as fast as it comes.
    void stopPacedReading() {
        if (m_pacer.joinable()) {
            m_pacing = false;
            m_pacer.join();
        }
    }

    // True once the first byte has arrived.
    bool anythingReceived() {
        drain();
        const std::lock_guard<std::mutex> lock(m_mutex);
        return !m_received.isEmpty();
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
        qsizetype seen = receivedSize();
        while (quiet.elapsed() < quietMs) {
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
            drain();
            if (receivedSize() != seen) {
                seen = receivedSize();
                quiet.restart();
            }
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }

private:
    qsizetype receivedSize() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_received.size();
    }

    // Reads up to `limit` bytes that have arrived; false when nothing had.
    bool readSome(qsizetype limit) {
        char buffer[4096];
        const ssize_t count = ::read(m_master, buffer, std::min<size_t>(sizeof buffer, limit));
        if (count <= 0) {
            return false;
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_received.append(buffer, count);
        return true;
    }

    void drain() {
        if (m_master < 0 || m_pacing) {
            return;
        }
        while (readSome(4096)) {
        }
    }

    // One burst every burst / rate seconds, on a fixed schedule; a late thread does not
    // catch up, as a UART that missed its time cannot either.
    void readPaced(int bytesPerSecond, int burst) {
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::nanoseconds(1'000'000'000LL * burst / bytesPerSecond);
        auto next = Clock::now();
        while (m_pacing) {
            readSome(burst);
            next += period;
            const auto now = Clock::now();
            if (next < now) {
                next = now;
            }
            std::this_thread::sleep_until(next);
        }
    }

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier* m_notifier = nullptr;
    std::mutex m_mutex;
    QByteArray m_received;
    std::atomic<bool> m_pacing = false;
    std::thread m_pacer;
};

} // namespace vornix::download::testing
