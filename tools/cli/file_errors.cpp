#include "file_errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "image/files/bounded_read.h"
#include "image/platform/platform.h"
#include "terminal_text.h"

namespace vornix::cli {

std::string FileError(std::string_view file, std::string_view reason) {
    return "vornix-cli: " + TerminalName(file) + ": " + std::string(reason);
}

void PrintFileError(std::string_view file, std::string_view reason) {
    const std::string line = FileError(file, reason) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

namespace {
int g_standardOutputError = 0; // errno of the first failed PutStandardOutput
} // namespace

void PutStandardOutput(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() &&
        g_standardOutputError == 0) {
        g_standardOutputError = errno;
    }
}

int FinishStandardOutput(int status) {
    if (status != 0) {
        return status; // the failure was reported where it happened
    }
    int error = g_standardOutputError;
    if (error != 0) {
        std::fflush(stdout);
    } else if (std::fflush(stdout) != 0) {
        error = errno;
    } else if (std::ferror(stdout) != 0) {
        error = EIO;
    } else {
        error = platform::CloseStandardOutput();
    }
    if (error == 0) {
        return status;
    }
    PrintFileError(kStandardOutputName, std::strerror(error));
    return 1;
}

std::string ReadFailureReason(const std::string& path, int error, std::uint64_t limit) {
    const platform::PathInfo info = platform::InfoOf(path);
    if (error == EFBIG && info.error == 0) {
        return TooLargeReason(info.size, limit);
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
