#include "image/atomic_file.h"

#include <cerrno>
#include <random>

#include <fcntl.h>
#include <unistd.h>

namespace vornix::image {

namespace {

constexpr int kNameAttempts = 100;
constexpr std::size_t kMaxBaseInTempName = 200; // keeps the temporary name under NAME_MAX

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseOf(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return base.substr(0, kMaxBaseInTempName);
}

std::string randomSuffix() {
    // One generator per thread: the batch conversion writes from several threads at once.
    thread_local std::mt19937_64 generator{std::random_device{}()};
    constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix(8, ' ');
    for (auto& c : suffix) {
        c = kChars[generator() % (sizeof(kChars) - 1)];
    }
    return suffix;
}

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
    const std::string stem = folderOf(m_target) + "." + baseOf(m_target) + ".";
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = stem + randomSuffix() + ".tmp";
        m_fd =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_tempPath = candidate;
            return true;
        }
        if (errno != EEXIST) {
            return fail(errno);
        }
    }
    return fail(EEXIST);
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
