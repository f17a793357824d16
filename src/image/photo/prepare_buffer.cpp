#include "image/photo/prepare_buffer.h"

#include <cstdint>

#include "image/platform/platform.h"

namespace vornix::image {

namespace {

constexpr std::size_t kHugeThreshold = std::size_t{4} << 20; // smaller buffers gain little

} // namespace

std::vector<std::uint8_t> LargeBuffer(std::size_t size) {
    std::vector<std::uint8_t> buffer;
    if (size >= kHugeThreshold) {
        buffer.reserve(size);
        platform::AdviseHugePages(buffer.data(), buffer.capacity());
    }
    buffer.resize(size);
    return buffer;
}

ByteBuffer UnclearedBuffer(std::size_t size) {
    ByteBuffer buffer;
    if (size >= kHugeThreshold) {
        buffer.reserve(size);
        platform::AdviseHugePages(buffer.data(), buffer.capacity());
    }
    buffer.resize(size);
    return buffer;
}

} // namespace vornix::image
