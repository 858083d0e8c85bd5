// Copies out of the host's memory.
#include "bridge/host_memory.h"

#include <cstring>

#include "platform/win_memory.h"
#include "strings/memory.h"

void* HostClientAlloc(size_t bytes) {
  return MemAlloc(bytes, 0);
}

void HostClientFree(void* block) {
  MemFree(block);
}

void HostTaskFree(void* block) {
  CoTaskMemFree(block);
}

char* HostCopyString(const char* text, HostAllocFn alloc) {
  if (text == nullptr) return nullptr;
  size_t bytes = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(alloc(bytes));
  if (copy != nullptr) std::memcpy(copy, text, bytes);
  return copy;
}

void* HostCopyArray(const void* items, uint64_t count, size_t size, HostAllocFn alloc) {
  if (items == nullptr) return nullptr;
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  size_t bytes = static_cast<size_t>(count) * size;
  void* copy = alloc(bytes == 0 ? 1 : bytes);
  if (copy != nullptr && bytes != 0) std::memcpy(copy, items, bytes);
  return copy;
}
