#include "cli_pxl_input.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vornix::cli {

PxlInput::PxlInput(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        m_code = FailedInput(errno).code;
        return;
    }
    struct stat info {};
    if (::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode)) {
        m_size = static_cast<std::size_t>(info.st_size);
        return;
    }
    m_whole = ReadWholeInput(m_fd);
    m_size = m_whole.bytes.size();
    m_code = m_whole.code;
    ::close(m_fd);
    m_fd = -1;
}

PxlInput::~PxlInput() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool PxlInput::hasMarker() {
    bool marker = false;
    {
        image::PxlFieldStream fields(*this);
        marker = image::HasPxlMarker(fields);
    }
    m_wholePos = 0;
    if (m_fd >= 0 && ::lseek(m_fd, 0, SEEK_SET) != 0) {
        m_readError = errno;
    }
    return marker;
}

std::size_t PxlInput::read(char* into, std::size_t room) {
    if (m_readError != 0 || m_code != 0) {
        return 0;
    }
    if (m_fd < 0) {
        const std::size_t n = std::min(room, m_whole.bytes.size() - m_wholePos);
        std::copy_n(m_whole.bytes.data() + m_wholePos, n, into);
        m_wholePos += n;
        return n;
    }
    for (;;) {
        const ssize_t got = ::read(m_fd, into, room);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            m_readError = errno;
            return 0;
        }
    }
}

} // namespace vornix::cli
