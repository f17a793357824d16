#include "image/prepare_buffer.h"

#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vornix::image {

namespace {

constexpr std::size_t kHugeThreshold = std::size_t{4} << 20; // smaller buffers gain little
constexpr std::uintptr_t kPage = 4096;

// Advice only: a system without transparent huge pages ignores it.
void adviseHugePages([[maybe_unused]] std::uint8_t* data, [[maybe_unused]] std::size_t size) {
#ifdef MADV_HUGEPAGE
    const auto start = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kPage - 1);
    if (end > start) {
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
#endif
}

} // namespace

std::vector<std::uint8_t> LargeBuffer(std::size_t size) {
    std::vector<std::uint8_t> buffer;
    if (size >= kHugeThreshold) {
        buffer.reserve(size);
        adviseHugePages(buffer.data(), buffer.capacity());
    }
    buffer.resize(size);
    return buffer;
}

FileBytes ReadLargeFile(const std::string& path, std::size_t maxSize) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {{}, errno};
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) {
        ::close(fd); // not a plain file, or one that reports no length: read it as it comes
        return ReadWholeFile(path, maxSize);
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxSize) {
        ::close(fd);
        return {{}, EFBIG};
    }
    FileBytes file{LargeBuffer(static_cast<std::size_t>(info.st_size)), 0};
    std::size_t got = 0;
    while (got < file.bytes.size()) {
        const ssize_t n = ::read(fd, file.bytes.data() + got, file.bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            file.error = n < 0 ? errno : 0;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (file.error != 0) {
        return {{}, file.error};
    }
    // A file that shrank while it was read keeps what it still had. One that grew past its
    // length is read as it was when opened.
    file.bytes.resize(got);
    return file;
}

} // namespace vornix::image
