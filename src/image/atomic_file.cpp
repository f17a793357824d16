#include "image/atomic_file.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "image/temporary_names.h"

namespace vornix::image {

namespace {

int closeKeepingErrno(int fd) {
    const int saved = errno;
    const int rc = ::close(fd);
    errno = saved;
    return rc;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string targetPath) : m_target(std::move(targetPath)) {}

AtomicFileWriter::~AtomicFileWriter() {
    abandon();
}

bool AtomicFileWriter::fail(int error) {
    if (m_error == 0) {
        m_error = error != 0 ? error : EIO;
    }
    return false;
}

// The temporary file is a hidden sibling of the target, created with O_EXCL under a random
// name (so two writers never share one) and the usual 0666 & ~umask permissions. O_EXCL and
// O_NOFOLLOW make a link planted under that name fail the open instead of being followed.
bool AtomicFileWriter::open() {
    if (m_finished) {
        return fail(EBADF); // committed or abandoned: a second file would replace the first
    }
    if (m_error != 0) {
        return false;
    }
    if (m_fd >= 0) {
        return true;
    }
    if (m_target.empty() || m_target.back() == '/') {
        return fail(EISDIR);
    }
    const int error = CreateWithFreeName(
        FolderOf(m_target), NameOf(m_target), ".",
        [this](const std::string& candidate) {
            m_fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0666);
            return m_fd >= 0 ? 0 : errno;
        },
        m_tempPath);
    return error == 0 || fail(error);
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (m_error != 0 || !open()) {
        return false; // after a failure nothing more is written: the file is lost anyway
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool AtomicFileWriter::commit() {
    if (m_committed) {
        return true;
    }
    if (!open()) {
        abandon();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && m_error == 0) {
        fail(errno); // a delayed write error (a full disk over NFS) shows up here
    }
    if (m_error != 0 || ::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        fail(errno);
        abandon();
        return false;
    }
    m_tempPath.clear();
    m_finished = m_committed = true;
    return true;
}

void AtomicFileWriter::abandon() {
    m_finished = true;
    if (m_fd >= 0) {
        closeKeepingErrno(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        const int saved = errno;
        ::unlink(m_tempPath.c_str());
        errno = saved;
        m_tempPath.clear();
    }
}

int WriteFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    if (!writer.write(bytes) || !writer.commit()) {
        return writer.error();
    }
    return 0;
}

} // namespace vornix::image
