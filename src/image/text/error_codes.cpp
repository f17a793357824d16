#include "image/text/error_codes.h"

namespace vornix::image {

std::string_view describe(ErrorCode code) {
    switch (code) {
    case ErrorCode::None:
        return "no failure";
    case ErrorCode::OutOfMemory:
        return "not enough memory for the picture";
    case ErrorCode::FileNotFound:
        return "file not found";
    case ErrorCode::PermissionDenied:
        return "permission denied";
    case ErrorCode::FileAccessError:
        return "the file could not be read or written";
    case ErrorCode::PathNotFound:
        return "folder not found";
    case ErrorCode::InvalidPicture:
        return "the file holds no picture the program can read";
    }
    return "unknown failure";
}

} // namespace vornix::image
