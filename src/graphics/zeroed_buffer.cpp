#include "graphics/zeroed_buffer.h"

#include <sys/mman.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pictorand {

namespace {
// From this size on, buffers are mapped on their own.
constexpr std::size_t MappedFrom = std::size_t{16} << 20;
}  // namespace

void* AllocateZeroed(std::size_t bytes) {
    if (bytes >= MappedFrom) {
        void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) throw std::bad_alloc();
        madvise(memory, bytes, MADV_HUGEPAGE);
        return memory;
    }
    void* memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (!memory) throw std::bad_alloc();
    return memory;
}

void FreeZeroed(void* memory, std::size_t bytes) {
    if (!memory) return;
    if (bytes >= MappedFrom) {
        munmap(memory, bytes);
    } else {
        std::free(memory);
    }
}

void GiveBackFreedMemory() {
#if defined(__GLIBC__)
    // glibc keeps up to twice its raised mapping threshold (64 MB) of freed heap resident.
    malloc_trim(0);
#endif
}

}  // namespace pictorand
