#include "allocation_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

// The C library's own functions, reached past the link-time wrappers below.
extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
}

namespace {
std::atomic<uint64_t> operatorNewCalls{0};
std::atomic<uint64_t> cHeapCalls{0};

void* Allocate(std::size_t size) {
    operatorNewCalls.fetch_add(1, std::memory_order_relaxed);
    return __real_malloc(size == 0 ? 1 : size);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    operatorNewCalls.fetch_add(1, std::memory_order_relaxed);
    return _aligned_malloc(size == 0 ? 1 : size, static_cast<std::size_t>(alignment));
}

// Running out of memory ends a measurement run; nothing here throws.
void* Required(void* block) {
    if (block == nullptr) std::abort();
    return block;
}
}  // namespace

AllocationCounts CountAllocations() {
    return {operatorNewCalls.load(std::memory_order_relaxed),
            cHeapCalls.load(std::memory_order_relaxed)};
}

AllocationCounts AllocationsSince(const AllocationCounts& before) {
    const AllocationCounts now = CountAllocations();
    return {now.operatorNew - before.operatorNew, now.cHeap - before.cHeap};
}

extern "C" {
void* __wrap_malloc(size_t size) {
    cHeapCalls.fetch_add(1, std::memory_order_relaxed);
    return __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size) {
    cHeapCalls.fetch_add(1, std::memory_order_relaxed);
    return __real_calloc(count, size);
}

void* __wrap_realloc(void* block, size_t size) {
    cHeapCalls.fetch_add(1, std::memory_order_relaxed);
    return __real_realloc(block, size);
}
}

void* operator new(std::size_t size) { return Required(Allocate(size)); }
void* operator new[](std::size_t size) { return Required(Allocate(size)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    return Required(AllocateAligned(size, alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return Required(AllocateAligned(size, alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment,
                     const std::nothrow_t&) noexcept {
    return AllocateAligned(size, alignment);
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t) noexcept { _aligned_free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { _aligned_free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { _aligned_free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    _aligned_free(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    _aligned_free(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    _aligned_free(block);
}
