#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fonts/font_error.h"

namespace vornix::fonts {

// True when the bytes start with the gzip signature.
bool IsGzip(std::span<const std::uint8_t> bytes);

// The unpacked bytes of gzip data, or why not: BadCompression for damaged or cut data,
// FileTooLarge as soon as the output would pass `maxSize` bytes.
struct Unpacked {
    std::vector<std::uint8_t> bytes;
    FontError error = FontError::None;
};
Unpacked Gunzip(std::span<const std::uint8_t> packed, std::size_t maxSize);

} // namespace vornix::fonts
