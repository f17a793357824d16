#include "cli_files.h"

#include <cerrno>
#include <cstdio>

#include "image/text/error_codes.h"

namespace vornix::cli {

InputFile FailedInput(int error) {
    InputFile input;
    input.code = image::ErrorCodeFromErrno(error);
    input.error = error;
    return input;
}

namespace {

InputFile fromFileBytes(image::FileBytes&& file) {
    if (!file.ok()) {
        return FailedInput(file.error);
    }
    InputFile input;
    input.storage = std::move(file.bytes);
    input.bytes = input.storage;
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

std::optional<image::PictureFormat> FormatOfName(std::string_view path) {
    const image::FormatEntry* entry = image::FormatOfFileName(path);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return entry->format;
}

bool IsBitmapOrPxl(std::optional<image::PictureFormat> format) {
    return format == image::PictureFormat::Bitmap || format == image::PictureFormat::Pxl;
}

InputFile ReadInputFile(const std::string& path, std::size_t maxSize) {
    return fromFileBytes(image::ReadBoundedFile(path, maxSize));
}

InputFile ReadInputPrefix(const std::string& path, std::size_t count) {
    return fromFileBytes(image::ReadFilePrefix(path, count));
}

void PrintMessage(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

int WriteToStdout(std::string_view bytes) {
    int error = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
        error = errno;
    }
    if (std::fflush(stdout) != 0 && error == 0) {
        error = errno;
    }
    return error;
}

} // namespace vornix::cli
