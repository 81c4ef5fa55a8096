#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>

namespace kn {

// Replaces the storage with one of at least `needed` items, and at least twice `capacity`, that
// starts with the `kept` items the old one holds from `from`; gives the new capacity. The new
// items past those are left for the caller to write.
template <typename T>
std::size_t growStorage(std::unique_ptr<T[]>& storage, std::size_t capacity, std::size_t needed, std::size_t from,
                        std::size_t kept)
{
    const std::size_t grownCapacity = std::max(2 * capacity, needed);
    auto grown = std::make_unique_for_overwrite<T[]>(grownCapacity);
    std::copy_n(storage.get() + from, kept, grown.get());
    storage = std::move(grown);
    return grownCapacity;
}

} // namespace kn
