// Memory that crosses the host boundary. The host hands over blocks from CoTaskMemAlloc; the
// client copies them at once into its own heap and gives the host's blocks back, unless the host
// said its memory is shared (SharedHostMemory), in which case the host's blocks are never freed.
//
// Copy routines take the allocation function and release routines the release function, so one
// pair serves the host's blocks (CoTaskMemFree) and the client's (the C heap). Sizes are computed
// in 64 bits; a null source copies as null.
#pragma once

#include <cstddef>
#include <cstdint>

// The allocation and release functions that copy and release routines take.
typedef void* (*HostAllocFn)(size_t bytes);
typedef void (*HostFreeFn)(void* block);

// The client's heap (the C heap, through the library's allocation layer); null when refused.
void* HostClientAlloc(size_t bytes);
void HostClientFree(void* block);
// The host's heap.
void HostTaskFree(void* block);

// A copy of text (length + 1 bytes); null for a null text or a refused allocation.
char* HostCopyString(const char* text, HostAllocFn alloc);
// A copy of count elements of size bytes; null for null items or a refused allocation. A count of
// 0 with items gives an empty allocation.
void* HostCopyArray(const void* items, uint64_t count, size_t size, HostAllocFn alloc);
