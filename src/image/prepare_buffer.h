#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vornix::image {

// `size` zero bytes for a large picture or file. Memory fresh from the system is mapped page
// by page as it is first touched, and a 12 MB picture then costs some 3000 page faults, which
// on a virtual machine take longer than the whole preparation; the buffer asks for huge pages
// instead where the system offers them. Otherwise an ordinary vector.
std::vector<std::uint8_t> LargeBuffer(std::size_t size);

} // namespace vornix::image
