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

// An allocator that takes huge pages for arrays of an eighth of a huge page or more and the
// ordinary heap for smaller ones: filling a few hundred kilobytes of ordinary pages costs more in
// page faults than one huge page does.
template <typename T>
struct HugePageAllocator {
    static constexpr std::size_t SmallestHugeArray = HugePages::PageSize / 8;

    using value_type = T;

    HugePageAllocator() = default;
    template <typename U>
    HugePageAllocator(const HugePageAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count)
    {
        if (count * sizeof(T) < SmallestHugeArray)
            return std::allocator<T>().allocate(count);
        return reinterpret_cast<T*>(HugePages::allocate(count * sizeof(T)));
    }
    void deallocate(T* memory, std::size_t count) noexcept
    {
        if (count * sizeof(T) < SmallestHugeArray)
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
