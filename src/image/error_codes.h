#pragma once

#include <cerrno>

namespace vornix::image {

// The failure codes the window and the command line show after messages::kBadFileName and
// messages::kInternalError: a picture too large for the memory there is, a missing file, a refused
// permission, a failed read or write, a missing folder, and a file that holds no picture.
enum ErrorCode : int {
    kOutOfMemory = 7,
    kFileNotFound = 53,
    kPermissionDenied = 70,
    kFileAccessError = 75,
    kPathNotFound = 76,
    kInvalidPicture = 481,
};

// Maps an errno value from a failed file operation to one of the codes above.
inline int ErrorCodeFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return kFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return kPermissionDenied;
    case ENOTDIR:
        return kPathNotFound;
    default:
        return kFileAccessError;
    }
}

} // namespace vornix::image
