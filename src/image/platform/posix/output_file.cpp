#include "image/files/output_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include "image/files/temporary_names.h"
#include "image/platform/platform.h"

namespace vornix::image {

using platform::ForgetTemporaryName;
using platform::RememberTemporaryName;
using SignalsHeld = platform::InterruptionsHeld;

namespace {

constexpr int kMaxLinkHops = 40; // as the kernel's own limit (ELOOP)
constexpr std::size_t kCopyBlock = std::size_t{1} << 20;
constexpr int kReaderPollMs = 10;
constexpr long kProcSuperMagic = 0x9fa0; // statfs f_type of /proc
// The old content of a file overwritten in place is kept in memory up to this size, and in an
// unnamed scratch file beyond it.
constexpr off_t kOldBytesInMemory = off_t{16} << 20;

// A folder for a copy that need not live beside its target.
std::string scratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp != '\0' ? std::string(tmp) + "/" : std::string("/tmp/");
}

bool isOnProc(const std::string& folder) {
    struct statfs info {};
    return ::statfs(folder.empty() ? "." : folder.c_str(), &info) == 0 &&
           static_cast<long>(info.f_type) == kProcSuperMagic;
}

// The end of a chain of symbolic links, or "" when it cannot be followed. `throughProc` is set
// when a link lives in /proc: such a link names an open descriptor (/dev/stdout ends there),
// and the text it reads as is no path to rename over.
std::string endOfLinks(const std::string& path, bool& throughProc) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            return {};
        }
        if (!S_ISLNK(info.st_mode)) {
            return current;
        }
        throughProc = throughProc || isOnProc(FolderOf(current));
        char text[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), text, sizeof text);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof text) {
            return {};
        }
        const std::string next(text, static_cast<std::size_t>(length));
        current = next.front() == '/' ? next : FolderOf(current) + next;
    }
    return {};
}

// The descriptor `path` names when its folder is this process's own table in /proc
// (/proc/self/fd, /dev/fd, /proc/thread-self/fd), or -1. Only the name is read, so a
// descriptor that is not open is recognised too.
int descriptorNamed(const std::string& path) {
    const std::string name = NameOf(path);
    if (name.empty() || name.size() > 9 ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    const std::string folder = FolderOf(path);
    char resolved[PATH_MAX];
    if (::realpath(folder.empty() ? "." : folder.c_str(), resolved) == nullptr) {
        return -1;
    }
    const std::string table(resolved);
    const std::string own = "/proc/" + std::to_string(::getpid());
    const bool ownTable =
        table == own + "/fd" || (table.starts_with(own + "/task/") && table.ends_with("/fd"));
    return ownTable && isOnProc(table) ? std::atoi(name.c_str()) : -1;
}

// The process's own descriptor that `path` leads to through its chain of links (/dev/stdout
// leads to /proc/self/fd/1), or -1 when it leads elsewhere.
int ownDescriptorOf(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        if (const int descriptor = descriptorNamed(current); descriptor >= 0) {
            return descriptor;
        }
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return -1;
        }
        char text[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), text, sizeof text);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof text) {
            return -1;
        }
        const std::string next(text, static_cast<std::size_t>(length));
        current = next.front() == '/' ? next : FolderOf(current) + next;
    }
    return -1;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void closeKeepingErrno(int& fd) {
    if (fd >= 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        fd = -1;
    }
}

// Writes all of `bytes` at `offset`; 0 or the errno of the failure.
int writeAllAt(int fd, const char* bytes, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t put = ::pwrite(fd, bytes, size, offset);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return put < 0 ? errno : EIO;
        }
        bytes += put;
        size -= static_cast<std::size_t>(put);
        offset += put;
    }
    return 0;
}

// Reads `size` bytes from `offset`; 0 or the errno of the failure (EIO when the file is shorter).
int readAllAt(int fd, char* into, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, into, size, offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? errno : EIO;
        }
        into += got;
        size -= static_cast<std::size_t>(got);
        offset += got;
    }
    return 0;
}

// Copies the first `size` bytes of one file over the first bytes of another; 0 or an errno.
int copyStart(int from, int to, off_t size) {
    const std::unique_ptr<char[]> block(new char[kCopyBlock]);
    for (off_t offset = 0; offset < size;) {
        const auto part =
            static_cast<std::size_t>(std::min(size - offset, static_cast<off_t>(kCopyBlock)));
        if (const int error = readAllAt(from, block.get(), part, offset); error != 0) {
            return error;
        }
        if (const int error = writeAllAt(to, block.get(), part, offset); error != 0) {
            return error;
        }
        offset += static_cast<off_t>(part);
    }
    return 0;
}

// Has the file system set aside room for the first `size` bytes of the file without changing
// a byte of it; 0 or the errno of the refusal (ENOSPC, EDQUOT, EFBIG).
int reserve(int fd, off_t size) {
    if (size == 0) {
        return 0;
    }
    for (;;) {
        if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0) {
            return 0;
        }
        if (errno != EINTR) {
            break;
        }
    }
    if (errno != EOPNOTSUPP && errno != ENOSYS) {
        return errno;
    }
    // Where fallocate is not supported, posix_fallocate writes a zero byte into each block that
    // may lack storage: the file grows to `size`, but none of its bytes changes.
    return ::posix_fallocate(fd, 0, size);
}

// Gives back what reserve() set aside beyond the old end, and the old length should
// posix_fallocate have grown the file. The file's bytes are what they were before.
void release(int fd, off_t oldSize, off_t newSize) {
    const int saved = errno;
    if (newSize > oldSize) {
        [[maybe_unused]] const int punched =
            ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, oldSize, newSize - oldSize);
    }
    struct stat now {};
    if (::fstat(fd, &now) == 0 && now.st_size != oldSize) {
        [[maybe_unused]] const int cut = ::ftruncate(fd, oldSize);
    }
    errno = saved;
}

// The content of a file about to be overwritten in place, kept until the new one is through so
// that a failure half-way can put it back.
class OldBytes {
public:
    OldBytes() = default;
    ~OldBytes() {
        if (m_scratch >= 0) {
            ::close(m_scratch);
        }
    }
    OldBytes(const OldBytes&) = delete;
    OldBytes& operator=(const OldBytes&) = delete;

    // Keeps the first `size` bytes of `fd`; 0 or the errno of the failure.
    int keep(int fd, off_t size) {
        m_size = size;
        if (size <= kOldBytesInMemory) {
            m_memory.reset(new (std::nothrow) char[static_cast<std::size_t>(size) + 1]);
            if (m_memory) {
                return readAllAt(fd, m_memory.get(), static_cast<std::size_t>(size), 0);
            }
        }
        m_scratch = openScratch();
        return m_scratch < 0 ? errno : copyStart(fd, m_scratch, size);
    }

    // Writes the kept bytes back over `fd` and cuts it to their length; 0 or an errno.
    int putBack(int fd) const {
        const int error = m_memory
                              ? writeAllAt(fd, m_memory.get(), static_cast<std::size_t>(m_size), 0)
                              : copyStart(m_scratch, fd, m_size);
        if (error != 0) {
            return error;
        }
        return ::ftruncate(fd, m_size) == 0 ? 0 : errno;
    }

private:
    // An unnamed file in the scratch folder; where there are none, a named one removed at once.
    static int openScratch() {
        const std::string folder = scratchFolder();
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
            return fd;
        }
        std::string name = folder + ".vornix-old-XXXXXX";
        const int named = ::mkostemp(name.data(), O_CLOEXEC);
        if (named >= 0) {
            ::unlink(name.c_str());
        }
        return named;
    }

    std::unique_ptr<char[]> m_memory;
    int m_scratch = -1;
    off_t m_size = 0;
};

} // namespace

bool OutputFile::open() {
    if (m_finished) {
        return fail(EBADF); // committed or abandoned: a second output would replace the first
    }
    if (m_error != 0) {
        return false;
    }
    if (m_way != OutputWay::Undecided) {
        return true;
    }
    if (m_path.empty() || m_path.back() == '/') {
        return fail(m_path.empty() ? ENOENT : EISDIR);
    }
    if (m_options.replacePath) {
        return openReplacing();
    }
    if (const int descriptor = ownDescriptorOf(m_path); descriptor >= 0) {
        return openDescriptor(descriptor);
    }
    struct stat link {};
    if (::lstat(m_path.c_str(), &link) != 0) {
        return errno == ENOENT ? openNew() : fail(errno);
    }
    return openExisting(link);
}

bool OutputFile::openNew() {
    m_final = m_path;
    m_way = OutputWay::Replace;
    return createTemporary(FolderOf(m_final), 0666); // the umask takes its bits off, as for `>`
}

bool OutputFile::openReplacing() {
    struct stat there {};
    if (::lstat(m_path.c_str(), &there) == 0 && S_ISDIR(there.st_mode)) {
        return fail(EISDIR);
    }
    m_final = m_path;
    m_way = OutputWay::Replace;
    return createTemporary(FolderOf(m_final), 0666); // the umask takes its bits off
}

// The bytes go where the descriptor's own offset is, as they do for standard output: after what
// the shell wrote there before (`{ echo HEADER; vornix-cli ... /dev/stdout; } > file`), or at
// the end of a file opened for appending (`>> log`).
bool OutputFile::openDescriptor(int descriptor) {
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0) {
        return fail(errno);
    }
    if ((flags & O_ACCMODE) == O_RDONLY) {
        return fail(EBADF); // open for reading only: nothing may be written through it
    }
    m_targetFd = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (m_targetFd < 0) {
        return fail(errno);
    }
    m_way = OutputWay::Descriptor;
    return true;
}

bool OutputFile::openExisting(const struct stat& link) {
    struct stat target {};
    if (::stat(m_path.c_str(), &target) != 0) {
        const int error = errno;
        return error == ENOENT && S_ISLNK(link.st_mode)
                   ? refuse(OutputRefusal::DanglingLink, ENOENT)
                   : fail(error);
    }
    if (S_ISDIR(target.st_mode)) {
        return fail(EISDIR);
    }
    if (S_ISCHR(target.st_mode) || S_ISFIFO(target.st_mode)) {
        return openStream(S_ISFIFO(target.st_mode));
    }
    if (!S_ISREG(target.st_mode)) {
        return refuse(OutputRefusal::NotAFile, EINVAL);
    }
    // Opening the file for writing is the permission check `cp` makes: a file the user may not
    // write is refused even where the folder would take a new one. O_NONBLOCK: should a FIFO
    // have taken the file's place meanwhile, this must not wait for its reader. Reading too lets
    // a write in place keep the old bytes to put back; a file the user may only write is
    // written without that copy.
    constexpr int kFlags = O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    m_targetFd = ::open(m_path.c_str(), O_RDWR | kFlags);
    m_targetReadable = m_targetFd >= 0;
    if (m_targetFd < 0 && errno == EACCES) {
        m_targetFd = ::open(m_path.c_str(), O_WRONLY | kFlags);
    }
    struct stat opened {};
    if (m_targetFd < 0 || ::fstat(m_targetFd, &opened) != 0) {
        return fail(errno);
    }
    if (!S_ISREG(opened.st_mode)) {
        return refuse(OutputRefusal::NotAFile, EINVAL);
    }
    bool throughProc = false;
    m_final = S_ISLNK(link.st_mode) ? endOfLinks(m_path, throughProc) : m_path;
    struct stat end {};
    const bool renamable = !m_final.empty() && !throughProc &&
                           ::lstat(m_final.c_str(), &end) == 0 && S_ISREG(end.st_mode) &&
                           end.st_dev == opened.st_dev && end.st_ino == opened.st_ino;
    if (!renamable) {
        m_final.clear();
    }
    // A rename would split a file from its other hard links.
    if (renamable && opened.st_nlink == 1) {
        if (!createTemporary(FolderOf(m_final), 0600)) {
            if (m_error != EACCES && m_error != EPERM && m_error != EROFS) {
                return false;
            }
            m_error = 0; // the folder takes no new file, but the file itself may be written
        } else if (keepIdentity(opened)) {
            m_way = OutputWay::Replace;
            closeKeepingErrno(m_targetFd); // it was opened only to ask whether it may be written
            return true;
        } else if (m_error != 0) {
            return false;
        }
    }
    m_way = OutputWay::InPlace;
    if (m_tempFd >= 0) {
        return true; // the file made for the rename holds the copy instead
    }
    if (!m_final.empty() && createTemporary(FolderOf(m_final), 0600)) {
        return true;
    }
    m_error = 0;
    return createTemporary(scratchFolder(), 0600);
}

// The new file takes the old one's owner, group and mode. False without an error when the user
// may not give it that owner and group: the old file is then written in place instead, so that
// it keeps them.
bool OutputFile::keepIdentity(const struct stat& old) {
    struct stat now {};
    if (::fstat(m_tempFd, &now) != 0) {
        return fail(errno);
    }
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(m_tempFd, old.st_uid, old.st_gid) != 0) {
        return errno == EPERM ? false : fail(errno);
    }
    if (::fchmod(m_tempFd, old.st_mode & 07777) != 0) {
        return fail(errno);
    }
    return true;
}

bool OutputFile::openStream(bool fifo) {
    // O_NONBLOCK: opening a FIFO without a reader fails at once (ENXIO) instead of waiting
    // forever, so it is tried again until a reader comes or kFifoReaderWaitMs has passed; and a
    // terminal without carrier opens. The writes after it block as usual.
    int waited = 0;
    for (;;) {
        m_targetFd = ::open(m_path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_targetFd >= 0) {
            break;
        }
        if (errno == EINTR) {
            continue;
        }
        if (!fifo || errno != ENXIO) {
            return fail(errno);
        }
        if (waited >= kFifoReaderWaitMs) {
            return refuse(OutputRefusal::NoReader, ENXIO);
        }
        const timespec pause{0, kReaderPollMs * 1000000L};
        ::nanosleep(&pause, nullptr);
        waited += kReaderPollMs;
    }
    struct stat opened {};
    if (::fstat(m_targetFd, &opened) != 0) {
        return fail(errno);
    }
    if (!S_ISCHR(opened.st_mode) && !S_ISFIFO(opened.st_mode)) {
        return refuse(OutputRefusal::NotAFile, EINVAL);
    }
    const int flags = ::fcntl(m_targetFd, F_GETFL);
    if (flags < 0 || ::fcntl(m_targetFd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return fail(errno);
    }
    m_way = OutputWay::Stream;
    return true;
}

bool OutputFile::createTemporary(const std::string& folder, unsigned mode) {
    static const bool procFds = ::access("/proc/self/fd", X_OK) == 0; // nameTemporary needs it
    if (m_options.unnamedTemporary && procFds) {
        const std::string where = folder.empty() ? std::string(".") : folder;
        m_tempFd = ::open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
        if (m_tempFd >= 0) {
            return true;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return fail(errno);
        }
    }
    return createNamedTemporary(folder, mode);
}

bool OutputFile::createNamedTemporary(const std::string& folder, unsigned mode) {
    const int error = CreateWithFreeName(
        folder, NameOf(m_path), ".vornix-",
        [this, mode](const std::string& candidate) {
            const SignalsHeld held;
            m_tempFd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (m_tempFd < 0) {
                return errno;
            }
            m_slot = RememberTemporaryName(candidate);
            return 0;
        },
        m_tempPath);
    return error == 0 || fail(error);
}

// Gives the unnamed file a name beside its target, for the rename. Called with signals held.
bool OutputFile::nameTemporary() {
    const std::string source = "/proc/self/fd/" + std::to_string(m_tempFd);
    const int error = CreateWithFreeName(
        FolderOf(m_final), NameOf(m_path), ".vornix-",
        [this, &source](const std::string& candidate) {
            if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, candidate.c_str(),
                         AT_SYMLINK_FOLLOW) != 0) {
                return errno;
            }
            m_slot = RememberTemporaryName(candidate);
            return 0;
        },
        m_tempPath);
    return error == 0 || fail(error);
}

bool OutputFile::write(std::string_view bytes) {
    if (m_error != 0 || !open()) {
        return false; // after a failure nothing more is written: the output is lost anyway
    }
    const bool direct = m_way == OutputWay::Stream || m_way == OutputWay::Descriptor;
    const int fd = direct ? m_targetFd : m_tempFd;
    return writeAll(fd, bytes) || fail(errno);
}

bool OutputFile::commit() {
    if (m_committed) {
        return true;
    }
    bool done = open();
    if (done && (m_way == OutputWay::Stream || m_way == OutputWay::Descriptor)) {
        const int fd = m_targetFd;
        m_targetFd = -1;
        done = ::close(fd) == 0 || fail(errno);
    } else if (done) {
        done = m_way == OutputWay::Replace ? commitReplace() : commitInPlace();
    }
    if (!done) {
        abandon();
        return false;
    }
    closeKeepingErrno(m_targetFd);
    m_finished = m_committed = true;
    return true;
}

bool OutputFile::commitReplace() {
    const SignalsHeld held;
    if (m_tempPath.empty() && !nameTemporary()) {
        return false;
    }
    const int fd = m_tempFd;
    m_tempFd = -1;
    if (::close(fd) != 0) {
        return fail(errno); // a delayed write error (a full disk over NFS) shows up here
    }
    if (::rename(m_tempPath.c_str(), m_final.c_str()) != 0) {
        return fail(errno);
    }
    ForgetTemporaryName(m_slot);
    m_slot = -1;
    m_tempPath.clear();
    return true;
}

// Copies the complete output over the old content and cuts the file to its new length. A reader
// may see the file half-copied meanwhile, but a failure leaves it as it was: room for the new
// length is reserved before the first byte changes (a full disk refuses the output there), and
// the old bytes are kept aside and put back should a write still fail (an I/O error, the file
// size limit). Only a crash half-way, or a device that fails the putting back too, can leave
// the file damaged.
bool OutputFile::commitInPlace() {
    const SignalsHeld held;
    struct stat target {};
    struct stat output {};
    if (::fstat(m_targetFd, &target) != 0 || ::fstat(m_tempFd, &output) != 0) {
        return fail(errno);
    }
    if (!overwriteInPlace(target.st_size, output.st_size)) {
        return false;
    }
    const int fd = m_targetFd;
    m_targetFd = -1;
    if (::close(fd) != 0) {
        return fail(errno);
    }
    dropTemporary();
    return true;
}

bool OutputFile::overwriteInPlace(std::int64_t oldSize, std::int64_t newSize) {
    if (const int error = reserve(m_targetFd, newSize); error != 0) {
        release(m_targetFd, oldSize, newSize);
        return fail(error);
    }
    OldBytes old;
    if (m_targetReadable) {
        if (const int error = old.keep(m_targetFd, oldSize); error != 0) {
            release(m_targetFd, oldSize, newSize);
            return fail(error);
        }
    }
    int error = copyStart(m_tempFd, m_targetFd, newSize);
    if (error == 0 && ::ftruncate(m_targetFd, newSize) != 0) {
        error = errno;
    }
    // A delayed write error (NFS reports a full disk only here) still finds the old bytes.
    if (error == 0 && ::fdatasync(m_targetFd) != 0 && errno != EINVAL && errno != ENOSYS) {
        error = errno;
    }
    if (error == 0) {
        return true;
    }
    if (m_targetReadable) {
        [[maybe_unused]] const int putBack = old.putBack(m_targetFd);
    }
    release(m_targetFd, oldSize, newSize);
    return fail(error);
}

void OutputFile::dropTemporary() {
    closeKeepingErrno(m_tempFd);
    if (!m_tempPath.empty()) {
        const int saved = errno;
        ::unlink(m_tempPath.c_str());
        errno = saved;
        m_tempPath.clear();
    }
    ForgetTemporaryName(m_slot);
    m_slot = -1;
}

void OutputFile::abandon() {
    if (m_committed) {
        return;
    }
    m_finished = true;
    dropTemporary();
    closeKeepingErrno(m_targetFd);
}

} // namespace vornix::image
