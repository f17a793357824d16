#pragma once

#include <cerrno>
#include <string_view>

namespace vornix::image {

// The failure codes of the file operations, shown by number after messages::kBadFileName and
// messages::kInternalError: a picture too large for the memory there is, a missing file, a
// refused permission, a failed read or write, a missing folder, and a file that holds no
// picture. None is success. The numbers are what users see: they never change.
enum class ErrorCode : int {
    None = 0,
    OutOfMemory = 7,
    FileNotFound = 53,
    PermissionDenied = 70,
    FileAccessError = 75,
    PathNotFound = 76,
    InvalidPicture = 481,
};

// The number a message shows for a code.
constexpr int Number(ErrorCode code) {
    return static_cast<int>(code);
}

// Maps an errno value from a failed file operation to one of the codes above.
constexpr ErrorCode ErrorCodeFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return ErrorCode::FileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrorCode::PermissionDenied;
    case ENOTDIR:
        return ErrorCode::PathNotFound;
    default:
        return ErrorCode::FileAccessError;
    }
}

// What a code means, in a few words, for logs and test output; the window shows the number.
std::string_view describe(ErrorCode code);

} // namespace vornix::image
