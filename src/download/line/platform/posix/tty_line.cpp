// The controller's line on a terminal device (a serial port or a pseudo-terminal) through
// termios. Bytes the device does not take at once wait in the line's own queue; the sleeps
// are poll() on the device and on a pipe that Ctrl+C writes to.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

#include "download/line/serial_line.h"

namespace vornix::download {

namespace {

// Ctrl+C only writes a byte to this pipe; the line's sleeps watch its other end.
int g_interruptPipe[2] = {-1, -1};

extern "C" void onInterrupt(int /*signal*/) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_interruptPipe[1], &byte, 1);
    errno = saved;
}

// Installed with the first line that stops on Ctrl+C and kept until the program ends: a
// Ctrl+C that comes just as the download ends must not end the program before it has said
// how the download went.
class InterruptWatch {
public:
    static InterruptWatch& instance() {
        static InterruptWatch watch;
        return watch;
    }

    int readEnd() const { return g_interruptPipe[0]; }

    // Empties the pipe; true when Ctrl+C had written to it.
    bool drain() const {
        char buffer[16];
        bool any = false;
        while (readEnd() >= 0 && ::read(readEnd(), buffer, sizeof buffer) > 0) {
            any = true;
        }
        return any;
    }

private:
    InterruptWatch() {
        if (::pipe(g_interruptPipe) != 0) {
            g_interruptPipe[0] = g_interruptPipe[1] = -1;
            return;
        }
        for (const int fd : g_interruptPipe) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, nullptr);
    }
};

#ifdef ASYNC_CLOSING_WAIT_NONE
constexpr int kNoClosingWait = ASYNC_CLOSING_WAIT_NONE;
#endif

// A serial driver's close waits for its queue to drain, up to half a minute with CTS off;
// after a stop on a held line that wait is turned off where the driver allows it.
void turnOffClosingWait(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_CLOSING_WAIT_NONE)
    serial_struct info = {};
    if (::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.closing_wait != kNoClosingWait) {
        info.closing_wait = static_cast<unsigned short>(kNoClosingWait);
        ::ioctl(fd, TIOCSSERIAL, &info);
    }
#else
    static_cast<void>(fd);
#endif
}

class TtyLine : public SerialLine {
public:
    TtyLine(int fd, bool stopOnInterrupt) : m_fd(fd) {
        if (stopOnInterrupt) {
            m_interrupts = &InterruptWatch::instance();
            m_interrupts->drain(); // a Ctrl+C before this line opened was for no download
        }
    }
    ~TtyLine() override { close(); }

    bool write(std::string_view bytes) override {
        if (m_fd < 0 || m_failed) {
            return false;
        }
        m_queue.append(bytes);
        flush();
        return !m_failed;
    }

    std::int64_t pendingBytes() override {
        if (m_fd < 0 || m_failed) {
            return -1;
        }
        flush();
        dropInput();
        if (m_failed) {
            return -1;
        }
        int driverQueue = 0;
        if (::ioctl(m_fd, TIOCOUTQ, &driverQueue) != 0 || driverQueue < 0) {
            driverQueue = 0;
        }
        return static_cast<std::int64_t>(m_queue.size() - m_sentFromQueue) + driverQueue;
    }

    void waitForLine(std::chrono::milliseconds timeout) override {
        pollfd watched[2] = {};
        nfds_t count = 0;
        if (m_fd >= 0 && !m_failed) {
            // Woken when the device takes more bytes; hang-ups and errors wake it anyway.
            watched[count++] = {m_fd, static_cast<short>(queued() ? POLLOUT : 0), 0};
        }
        if (m_interrupts && !m_stop && m_interrupts->readEnd() >= 0) {
            watched[count++] = {m_interrupts->readEnd(), POLLIN, 0};
        }
        const int ms = static_cast<int>(std::clamp<std::int64_t>(timeout.count(), 0, 60000));
        const int ready = ::poll(watched, count, ms);
        if (ready > 0 && count > 0 && watched[0].fd == m_fd &&
            (watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            m_failed = true; // the other end of the line has gone away
        }
        stopRequested();
    }

    bool stopRequested() override {
        if (!m_stop && m_interrupts && m_interrupts->drain()) {
            m_stop = true;
        }
        return m_stop;
    }

    void discardPending() override {
        m_queue.clear();
        m_sentFromQueue = 0;
        if (m_fd >= 0) {
            turnOffClosingWait(m_fd);
            ::tcflush(m_fd, TCOFLUSH);
        }
    }

    void close() override {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    bool queued() const { return m_sentFromQueue < m_queue.size(); }

    // Hands the device as much of the queue as it takes now.
    void flush() {
        while (queued()) {
            const ssize_t n =
                ::write(m_fd, m_queue.data() + m_sentFromQueue, m_queue.size() - m_sentFromQueue);
            if (n > 0) {
                m_sentFromQueue += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                    m_failed = true;
                }
                break;
            }
        }
        if (!queued()) {
            m_queue.clear();
            m_sentFromQueue = 0;
        }
    }

    // Nothing the controller sends is used; reading it keeps the input side from filling up.
    void dropInput() {
        char buffer[256];
        while (::read(m_fd, buffer, sizeof buffer) > 0) {
        }
    }

    int m_fd;
    std::string m_queue;
    std::size_t m_sentFromQueue = 0;
    bool m_failed = false;
    bool m_stop = false;
    InterruptWatch* m_interrupts = nullptr;
};

speed_t lineSpeed() {
    static_assert(kLineBaudRate == 9600, "the termios speed below");
    return B9600;
}

// Raw 9600 8N1 with RTS/CTS handshake; no echo, no translation of line ends.
bool applySettings(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE);
    settings.c_cflag |= CS8 | CREAD | CLOCAL | CRTSCTS;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, lineSpeed());
    ::cfsetospeed(&settings, lineSpeed());
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

OpenedLine OpenSerialLine(const std::string& device, bool stopOnInterrupt) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {nullptr, std::strerror(errno)};
    }
    const auto refuse = [fd](std::string reason) {
        ::close(fd);
        return OpenedLine{nullptr, std::move(reason)};
    };
    if (::isatty(fd) != 1) {
        return refuse("not a serial port");
    }
    // One program at a time on the port: another load (or a program holding the port
    // exclusively) keeps it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        return refuse(std::strerror(EBUSY));
    }
    if (!applySettings(fd)) {
        return refuse("the port does not take the line settings 9600,N,8,1 with RTS/CTS");
    }
    return {std::make_unique<TtyLine>(fd, stopOnInterrupt), ""};
}

} // namespace vornix::download
