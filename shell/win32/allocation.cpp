// The GUI program's global allocator: a request that cannot be met is a fatal error, reported with
// its size, never an exception the commands would have to catch. Requests made with std::nothrow
// keep their meaning and give a null pointer instead.
#include <cstdlib>
#include <malloc.h>
#include <new>

#include "shell/win32/allocation.h"
#include "shell/win32/program.h"

namespace {

void* tryAllocate(std::size_t size) {
    if (expscale::allocationShouldFail(size)) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

void* allocate(std::size_t size) {
    void* memory = tryAllocate(size);
    if (!memory) expscale::reportMemoryFailure(size);
    return memory;
}

void* tryAllocateAligned(std::size_t size, std::align_val_t alignment) {
    if (expscale::allocationShouldFail(size)) return nullptr;
    return _aligned_malloc(size == 0 ? 1 : size, static_cast<std::size_t>(alignment));
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    void* memory = tryAllocateAligned(size, alignment);
    if (!memory) expscale::reportMemoryFailure(size);
    return memory;
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return tryAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return tryAllocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

void* operator new(std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return tryAllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return tryAllocateAligned(size, alignment);
}
void operator delete(void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept { _aligned_free(memory); }
