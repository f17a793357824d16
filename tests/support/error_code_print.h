#pragma once

#include <ostream>

#include "image/text/error_codes.h"

namespace vornix::image {

// How a failure code appears in a test's failure message: its number and its meaning,
// "53 (file not found)", rather than the bytes of an unknown type.
inline void PrintTo(ErrorCode code, std::ostream* out) {
    *out << Number(code) << " (" << describe(code) << ")";
}

} // namespace vornix::image
