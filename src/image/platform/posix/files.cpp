// Files, folders and memory on POSIX systems.
#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "image/platform/platform.h"

namespace vornix::platform {

// O_NONBLOCK makes opening a FIFO without a writer, or a device that waits for a carrier,
// return at once; O_NOCTTY keeps a terminal from becoming the controlling one. Once the file
// is known to be regular the flag is cleared again, since it means nothing for such files.
int OpenForReading(const std::string& path, FileHandle& handle, std::uint64_t& size) {
    handle = kNoFile;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENXIO ? ENODEV : errno; // ENXIO: a socket
    }
    int error = 0;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(info.st_mode)) {
        error = ENODEV;
    } else {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        return error;
    }
    handle = fd;
    size = static_cast<std::uint64_t>(info.st_size);
    return 0;
}

std::int64_t ReadFrom(FileHandle handle, void* into, std::size_t room, int& error) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle), into, room);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = errno;
        }
        return got;
    }
}

int RewindFile(FileHandle handle) {
    return ::lseek(static_cast<int>(handle), 0, SEEK_SET) == 0 ? 0 : errno;
}

void CloseFile(FileHandle handle) {
    if (handle != kNoFile) {
        ::close(static_cast<int>(handle));
    }
}

PathInfo InfoOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {errno, PathKind::Other, 0};
    }
    const PathKind kind = S_ISREG(info.st_mode)   ? PathKind::Regular
                          : S_ISDIR(info.st_mode) ? PathKind::Folder
                                                  : PathKind::Other;
    return {0, kind, static_cast<std::uint64_t>(info.st_size)};
}

int MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

bool IsFolderSeparator(char c) {
    return c == '/';
}

std::size_t FolderLength(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

namespace {

std::optional<FileIdentity> identityOf(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

} // namespace

std::optional<FileIdentity> RegularFileOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? identityOf(info) : std::nullopt;
}

std::optional<FileIdentity> StandardStreamFile(bool output) {
    struct stat info {};
    return ::fstat(output ? STDOUT_FILENO : STDIN_FILENO, &info) == 0 ? identityOf(info)
                                                                      : std::nullopt;
}

void AdviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t size) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kPage = 4096;
    const auto start = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kPage - 1);
    if (end > start) {
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
#endif
}

} // namespace vornix::platform
