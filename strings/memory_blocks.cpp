// Plain heap blocks. They come from the C heap through the platform's call table, so that the
// blocks the host bridge copies out and the blocks plug-ins free are one and the same heap.
#include <cstring>

#include "platform/platform_calls.h"
#include "strings/memory.h"

namespace {

// A null result is a failure: fatal when asked, else handed back to the caller.
void* Checked(void* block, unsigned flags) {
  if (block == nullptr && (flags & kMemFatal) != 0) MemFatal();
  return block;
}

}  // namespace

void* MemAlloc(size_t size, unsigned flags) {
  return Checked(g_platformCalls.Malloc(size == 0 ? 1 : size), flags);
}

void* MemCalloc(size_t count, size_t size, unsigned flags) {
  if (size != 0 && count > SIZE_MAX / size) return Checked(nullptr, flags);
  if (count == 0 || size == 0) count = size = 1;
  return Checked(g_platformCalls.Calloc(count, size), flags);
}

void* MemRealloc(void* block, size_t size, unsigned flags) {
  // realloc(p, 0) may free p and answer null, which would read as a failure that kept p.
  return Checked(g_platformCalls.Realloc(block, size == 0 ? 1 : size), flags);
}

void* MemDup(const void* src, size_t size, unsigned flags) {
  if (src == nullptr) return nullptr;
  void* block = MemAlloc(size, flags);
  if (block != nullptr && size != 0) std::memcpy(block, src, size);
  return block;
}

int MemFree(void* block) {
  if (block != nullptr) g_platformCalls.Free(block);
  return 0;
}

void* MemFreeRef(void** ref) {
  if (ref != nullptr) MemFree(*ref);
  return nullptr;
}

int MemCopy(const void* src, void* dst, size_t length) {
  if (src == nullptr || dst == nullptr) return 1;
  if (length != 0) std::memmove(dst, src, length);
  return 0;
}

int MemZero(void* block, size_t length) {
  if (block == nullptr) return 1;
  if (length != 0) std::memset(block, 0, length);
  return 0;
}

void MemFill(void* block, int byte, size_t length) {
  if (block != nullptr && length != 0) std::memset(block, byte, length);
}

int MemEqual(const void* a, const void* b, size_t length) {
  if (a == nullptr || b == nullptr) return 0;
  return length == 0 || std::memcmp(a, b, length) == 0 ? 1 : 0;
}
