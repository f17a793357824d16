#include "file_errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vornix::cli {

std::string FileError(std::string_view file, std::string_view reason) {
    return "vornix-cli: " + std::string(file) + ": " + std::string(reason);
}

void PrintFileError(std::string_view file, std::string_view reason) {
    const std::string line = FileError(file, reason) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string ReadFailureReason(const std::string& path, int error, std::uint64_t limit) {
    struct stat info {};
    const bool known = ::stat(path.c_str(), &info) == 0;
    if (error == EFBIG && known) {
        return "too large: " + std::to_string(info.st_size) + " bytes, at most " +
               std::to_string(limit);
    }
    if (error == ENODEV || (known && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))) {
        return "not a regular file";
    }
    return std::strerror(error);
}

std::string InputFailureReason(const std::string& path, std::uint64_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return ReadFailureReason(path, errno, limit);
    }
    struct stat info {};
    int error = EIO;
    if (::fstat(fd, &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = EISDIR;
        } else if (!S_ISREG(info.st_mode)) {
            error = ENODEV;
        } else if (static_cast<std::uint64_t>(info.st_size) > limit) {
            error = EFBIG;
        }
    }
    ::close(fd);
    return ReadFailureReason(path, error, limit);
}

} // namespace vornix::cli
