#include "file_errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "image/bounded_read.h"

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
        return TooLargeReason(static_cast<std::uint64_t>(info.st_size), limit);
    }
    if (error == image::kNotRegularFile) { // a FIFO, a device or a socket

        return "not a regular file";
    }
    return std::strerror(error);
}

std::string TooLargeReason(std::uint64_t size, std::uint64_t limit) {
    return "too large: " + std::to_string(size) + " bytes, at most " + std::to_string(limit);
}

} // namespace vornix::cli
