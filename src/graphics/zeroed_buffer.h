// A byte vector whose fresh storage arrives zeroed from the system, so a large raster
// or file costs no separate clearing pass. Large buffers are mapped directly and asked
// for huge pages, which cuts the page faults of a multi-megapixel image by a factor of
// hundreds.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

namespace pictorand {

void* AllocateZeroed(std::size_t bytes);
void FreeZeroed(void* memory, std::size_t bytes);

// Hands the free pages the allocator keeps back to the system. Called between files, so
// what one picture freed does not stay resident while the next one is decoded.
void GiveBackFreedMemory();

template <class T>
struct TZeroedAllocator {
    using value_type = T;

    TZeroedAllocator() = default;
    template <class U>
    TZeroedAllocator(const TZeroedAllocator<U>&) {}

    T* allocate(std::size_t count) { return static_cast<T*>(AllocateZeroed(count * sizeof(T))); }
    void deallocate(T* memory, std::size_t count) { FreeZeroed(memory, count * sizeof(T)); }

    // Value-initialising an element leaves the zero that fresh storage holds. Buffers are
    // therefore only ever built at their final size, never regrown within capacity.
    template <class U>
    void construct(U*) noexcept {}
    template <class U, class... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const TZeroedAllocator&, const TZeroedAllocator&) { return true; }
};

using TByteBuffer = std::vector<std::uint8_t, TZeroedAllocator<std::uint8_t>>;

}  // namespace pictorand
