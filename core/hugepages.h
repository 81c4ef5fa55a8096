#pragma once

#include <cstddef>
#include <memory>

namespace kn {

// Memory for large, long-lived arrays (the records of a big import and the collection that holds
// them) in pieces aligned to the huge page size and marked for huge pages, so filling them
// touches a few pages instead of hundreds of thousands. Sizes are rounded up to whole huge pages.
namespace HugePages {
inline constexpr std::size_t PageSize = std::size_t(2) << 20;
// Fails with std::bad_alloc.
std::byte* allocate(std::size_t bytes);
void release(std::byte* memory, std::size_t bytes) noexcept;
} // namespace HugePages

// An allocator that takes huge pages for arrays of at least one huge page and the ordinary heap
// for smaller ones.
template <typename T>
struct HugePageAllocator {
    using value_type = T;

    HugePageAllocator() = default;
    template <typename U>
    HugePageAllocator(const HugePageAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count)
    {
        if (count * sizeof(T) < HugePages::PageSize)
            return std::allocator<T>().allocate(count);
        return reinterpret_cast<T*>(HugePages::allocate(count * sizeof(T)));
    }
    void deallocate(T* memory, std::size_t count) noexcept
    {
        if (count * sizeof(T) < HugePages::PageSize)
            std::allocator<T>().deallocate(memory, count);
        else
            HugePages::release(reinterpret_cast<std::byte*>(memory), count * sizeof(T));
    }
    template <typename U>
    bool operator==(const HugePageAllocator<U>&) const noexcept
    {
        return true;
    }
};

} // namespace kn
