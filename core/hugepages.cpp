#include "hugepages.h"

#include <cstdint>
#include <new>

#include <sys/mman.h>

namespace kn::HugePages {

namespace {
std::size_t wholePages(std::size_t bytes)
{
    return (bytes + PageSize - 1) / PageSize * PageSize;
}
} // namespace

std::byte* allocate(std::size_t bytes)
{
    const std::size_t size = wholePages(bytes);
    // One page more than asked for, so an aligned piece can be cut out of it.
    void* mapped = ::mmap(nullptr, size + PageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    auto* const first = static_cast<std::byte*>(mapped);
    const auto address = reinterpret_cast<std::uintptr_t>(first);
    auto* const aligned = first + (PageSize - address % PageSize) % PageSize;
    if (aligned > first)
        ::munmap(first, std::size_t(aligned - first));
    if (auto* const end = aligned + size; end < first + size + PageSize)
        ::munmap(end, std::size_t(first + size + PageSize - end));
    ::madvise(aligned, size, MADV_HUGEPAGE);
    return aligned;
}

void release(std::byte* memory, std::size_t bytes) noexcept
{
    ::munmap(memory, wholePages(bytes));
}

} // namespace kn::HugePages
