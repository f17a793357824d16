#include "cli_files.h"

#include <cctype>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "app/error_codes.h"
#include "image/atomic_file.h"
#include "image/number_field.h"

namespace vornix::cli {

namespace {

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

InputFile failedInput(int error) {
    InputFile input;
    input.code = app::ErrorCodeFromErrno(error);
    return input;
}

} // namespace

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
    image::FileBytes file = image::ReadWholeFile(path);
    if (!file.ok()) {
        return failedInput(file.error);
    }
    InputFile input;
    input.bytes = std::move(file.bytes);
    return input;
}

InputFile ReadInputPrefix(const std::string& path, std::size_t count) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return failedInput(errno);
    }
    InputFile input;
    input.bytes.resize(count);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::read(fd, input.bytes.data() + got, count - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return failedInput(error);
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    input.bytes.resize(got);
    return input;
}

std::string BadFileMessage(int code) {
    return "Bad file name or file type" + image::NumberField(code);
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
