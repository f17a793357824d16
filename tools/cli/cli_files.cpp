#include "cli_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/error_codes.h"
#include "image/number_field.h"

namespace vornix::cli {

namespace {

constexpr std::size_t kWholeFileLimit = std::size_t{1} << 30; // 1 GiB
constexpr std::size_t kFirstRoom = std::size_t{1} << 16;      // for pipes and devices

bool endsWithNoCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) {
        return false;
    }
    const std::string_view tail = text.substr(text.size() - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) != ending[i]) {
            return false;
        }
    }
    return true;
}

// Reads at most `limit` bytes of an open file into memory that is not cleared first: a picture
// is converted from memory, and clearing it would cost as much as reading it. The file's size is
// only a first guess at the room needed; a file that grows, or a pipe, is read until its end.
InputFile readInput(int fd, std::size_t limit) {
    struct stat info {};
    std::size_t room = kFirstRoom;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        room = static_cast<std::size_t>(info.st_size) + 1; // + 1: the read that finds the end
    }
    room = std::max<std::size_t>(std::min(room, limit), 1);
    InputFile input;
    input.storage.reset(new std::uint8_t[room]);
    std::size_t size = 0;
    while (size < limit) {
        if (size == room) {
            room = std::min(limit, room * 2);
            std::unique_ptr<std::uint8_t[]> larger(new std::uint8_t[room]);
            std::copy_n(input.storage.get(), size, larger.get());
            input.storage = std::move(larger);
        }
        const ssize_t got = ::read(fd, input.storage.get() + size, room - size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return FailedInput(errno);
        }
        if (got == 0) {
            break;
        }
        size += static_cast<std::size_t>(got);
    }
    input.bytes = {input.storage.get(), size};
    return input;
}

InputFile readNamedInput(const std::string& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return FailedInput(errno);
    }
    InputFile input = readInput(fd, limit);
    ::close(fd);
    return input;
}

} // namespace

InputFile FailedInput(int error) {
    InputFile input;
    input.code = app::ErrorCodeFromErrno(error);
    return input;
}

std::optional<std::vector<std::string>> NamesOnly(const std::vector<std::string>& args) {
    std::vector<std::string> names;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return std::nullopt;
        } else {
            names.push_back(arg);
        }
    }
    return names;
}

PictureKind KindOfName(std::string_view path) {
    if (endsWithNoCase(path, ".bmp")) {
        return PictureKind::Bitmap;
    }
    if (endsWithNoCase(path, ".pxl")) {
        return PictureKind::Pxl;
    }
    return PictureKind::Other;
}

InputFile ReadInputFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return FailedInput(errno);
    }
    InputFile input = ReadWholeInput(fd);
    ::close(fd);
    return input;
}

InputFile ReadWholeInput(int fd) {
    // One byte beyond the limit tells a file at the limit from a larger one.
    InputFile input = readInput(fd, kWholeFileLimit + 1);
    if (input.ok() && input.bytes.size() > kWholeFileLimit) {
        return FailedInput(EFBIG);
    }
    return input;
}

InputFile ReadInputPrefix(const std::string& path, std::size_t count) {
    return readNamedInput(path, count);
}

std::string BadFileMessage(int code) {
    return "Bad file name or file type " + image::NumberField(code);
}

std::string FileCause(std::string_view what, const std::string& path, int error) {
    return FileCause(what, path, std::strerror(error));
}

std::string FileCause(std::string_view what, const std::string& path, std::string_view reason) {
    return std::string(what) + " (" + path + ": " + std::string(reason) + ")";
}

void PrintMessage(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

bool WriteToStdout(std::string_view bytes) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    return std::fflush(stdout) == 0 && written;
}

} // namespace vornix::cli
