// The standard streams and the program itself on POSIX systems.
#include <cerrno>
#include <climits>

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "image/platform/platform.h"

namespace vornix::platform {

void PrepareStandardStreams() {} // bytes pass unchanged already

std::int64_t ReadStandardInput(void* into, std::size_t room, int& error) {
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, into, room);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = errno;
        }
        return got;
    }
}

std::int64_t WriteStandardOutput(const void* bytes, std::size_t size, int& error) {
    for (;;) {
        const ssize_t done = ::write(STDOUT_FILENO, bytes, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            error = errno;
        }
        return done;
    }
}

std::optional<std::uint64_t> StandardInputBytesLeft() {
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const off_t at = ::lseek(STDIN_FILENO, 0, SEEK_CUR);
    if (at < 0 || info.st_size < at) {
        return std::uint64_t{0};
    }
    return static_cast<std::uint64_t>(info.st_size - at);
}

int CloseStandardOutput() {
    return ::close(STDOUT_FILENO) != 0 && errno != EBADF ? errno : 0;
}

bool StandardErrorIsTerminal(int& columns) {
    columns = 0;
    if (::isatty(STDERR_FILENO) != 1) {
        return false;
    }
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0) {
        columns = size.ws_col;
    }
    return true;
}

std::vector<std::string> Arguments(int argc, char** argv) {
    return {argv, argv + argc};
}

std::string OwnProgramPath() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

bool IsRunnable(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

int RunInstead(const std::string& program, const std::vector<std::string>& args,
               [[maybe_unused]] int& status) {
    std::vector<std::string> copies(args);
    std::vector<char*> argv;
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    return errno;
}

} // namespace vornix::platform
