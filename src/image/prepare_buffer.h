#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/atomic_file.h"

namespace vornix::image {

// `size` zero bytes for a large picture or file. Memory fresh from the system is mapped page
// by page as it is first touched, and a 12 MB picture then costs some 3000 page faults, which
// on a virtual machine take longer than the whole preparation; the buffer asks for huge pages
// instead where the system offers them. Otherwise an ordinary vector.
std::vector<std::uint8_t> LargeBuffer(std::size_t size);

// The whole content of a file like ReadWholeFile, read into a LargeBuffer sized from the
// file's length: EFBIG (and nothing allocated) above `maxSize` bytes.
FileBytes ReadLargeFile(const std::string& path, std::size_t maxSize = kDefaultReadLimit);

} // namespace vornix::image
