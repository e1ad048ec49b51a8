// Counts the heap allocations made by this executable's own code: the program's code and
// the C++ library and Lua linked into it. Every form of operator new is replaced here;
// malloc, calloc and realloc are wrapped at link time (-Wl,--wrap, see CMakeLists.txt).
// Blocks that system DLLs (Direct3D, D3DX, the C runtime DLL) allocate inside themselves
// are not seen.
#pragma once

#include <cstdint>

struct AllocationCounts {
    uint64_t operatorNew;  // calls of operator new and new[], in every form
    uint64_t cHeap;        // calls of malloc, calloc and realloc (operator new's own not included)
};

// The counts since the process started.
AllocationCounts CountAllocations();
// What has been allocated since `before` was taken.
AllocationCounts AllocationsSince(const AllocationCounts& before);
