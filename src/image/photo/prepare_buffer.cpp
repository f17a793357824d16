#include "image/photo/prepare_buffer.h"

#include <cstdint>

#include <sys/mman.h>

namespace vornix::image {

namespace {

constexpr std::size_t kHugeThreshold = std::size_t{4} << 20; // smaller buffers gain little
constexpr std::uintptr_t kPage = 4096;

// Advice only: a system without transparent huge pages ignores it.
void adviseHugePages([[maybe_unused]] std::uint8_t* data, [[maybe_unused]] std::size_t size) {
#ifdef MADV_HUGEPAGE
    const auto start = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kPage - 1);
    if (end > start) {
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
#endif
}

} // namespace

std::vector<std::uint8_t> LargeBuffer(std::size_t size) {
    std::vector<std::uint8_t> buffer;
    if (size >= kHugeThreshold) {
        buffer.reserve(size);
        adviseHugePages(buffer.data(), buffer.capacity());
    }
    buffer.resize(size);
    return buffer;
}

ByteBuffer UnclearedBuffer(std::size_t size) {
    ByteBuffer buffer;
    if (size >= kHugeThreshold) {
        buffer.reserve(size);
        adviseHugePages(buffer.data(), buffer.capacity());
    }
    buffer.resize(size);
    return buffer;
}

} // namespace vornix::image
