#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace vornix::image {

// `size` zero bytes for a large picture or file. Memory fresh from the system is mapped page
// by page as it is first touched, and a 12 MB picture then costs some 3000 page faults, which
// on a virtual machine take longer than the whole preparation; the buffer asks for huge pages
// instead where the system offers them. Otherwise an ordinary vector.
std::vector<std::uint8_t> LargeBuffer(std::size_t size);

// An allocator whose new elements are left unset: memory that a read is about to fill need not
// be cleared first, which for a large file would cost as much as reading it.
template <class T> struct UnclearedAllocator {
    using value_type = T;
    UnclearedAllocator() = default;
    template <class U> UnclearedAllocator(const UnclearedAllocator<U>& /*other*/) noexcept {}
    T* allocate(std::size_t n) { return std::allocator<T>{}.allocate(n); }
    void deallocate(T* p, std::size_t n) noexcept { std::allocator<T>{}.deallocate(p, n); }
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    bool operator==(const UnclearedAllocator& /*other*/) const { return true; }
};
using ByteBuffer = std::vector<std::uint8_t, UnclearedAllocator<std::uint8_t>>;

// `size` bytes that are not cleared, asking for huge pages as LargeBuffer does.
ByteBuffer UnclearedBuffer(std::size_t size);

} // namespace vornix::image
