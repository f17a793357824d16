#include "serial_endpoint.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "image/text/messages.h"

namespace vornix::lcdsim {

namespace {

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

speed_t speedOf(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B9600;
    }
}

// Raw 8N1: no echo, no line editing, no translation of CR or LF in either direction.
bool makeRaw(int fd, int baud, bool hardwareFlowControl) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return false;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    if (hardwareFlowControl) {
        settings.c_cflag |= CRTSCTS;
    }
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, speedOf(baud));
    cfsetospeed(&settings, speedOf(baud));
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

SerialEndpoint::Opened SerialEndpoint::openPseudoTerminal(int baud) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        return {nullptr, systemError("cannot create a pseudo-terminal")};
    }
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        const std::string error = systemError("cannot set up the pseudo-terminal");
        ::close(master);
        return {nullptr, error};
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0 || !makeRaw(slave, baud, false) ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        const std::string error = systemError(std::string(image::messages::kCannotOpen) + name);
        if (slave >= 0) {
            ::close(slave);
        }
        ::close(master);
        return {nullptr, error};
    }
    return {std::unique_ptr<SerialEndpoint>(new SerialEndpoint(master, slave, name)), ""};
}

SerialEndpoint::Opened SerialEndpoint::openDevice(const std::string& path, int baud) {
    // A FIFO opened for writing as well never reads as ended between two senders; a plain
    // file (a recorded stream) is only read.
    struct stat info {};
    const bool lineLike =
        ::stat(path.c_str(), &info) == 0 && (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode));
    const int readable =
        ::open(path.c_str(), (lineLike ? O_RDWR : O_RDONLY) | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (readable < 0) {
        return {nullptr, systemError(std::string(image::messages::kCannotOpen) + path)};
    }
    if (isatty(readable) && !makeRaw(readable, baud, true)) {
        const std::string error = systemError("cannot set up " + path);
        ::close(readable);
        return {nullptr, error};
    }
    return {std::unique_ptr<SerialEndpoint>(new SerialEndpoint(readable, -1, path)), ""};
}

SerialEndpoint::~SerialEndpoint() {
    if (m_readFd >= 0) {
        ::close(m_readFd);
    }
    if (m_holdFd >= 0) {
        ::close(m_holdFd);
    }
}

SerialEndpoint::ReadResult SerialEndpoint::read(char* buffer, std::size_t capacity) {
    if (capacity == 0) {
        return {ReadStatus::Empty};
    }
    ssize_t got = 0;
    do {
        got = ::read(m_readFd, buffer, capacity);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        return {ReadStatus::Data, static_cast<std::size_t>(got)};
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return {ReadStatus::Empty};
    }
    return {ReadStatus::Closed};
}

} // namespace vornix::lcdsim
