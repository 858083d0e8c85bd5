// Global memory handles over the C heap.
//
// A handle is the address of a small record that owns the data block, so the handle survives a
// reallocation that moves the data. Live handles are kept in a set: a stale or made-up handle is
// refused instead of being dereferenced.
#include <cstring>
#include <unordered_set>

#include "platform/platform_calls.h"
#include "platform/win_memory.h"

namespace {

struct GlobalBlock {
  void* data;      // the block; at least one byte is always allocated
  SIZE_T size;     // bytes requested
  UINT lockCount;  // GlobalLock calls not yet matched by GlobalUnlock
};

std::unordered_set<GlobalBlock*>& LiveHandles() {
  static auto* live = new std::unordered_set<GlobalBlock*>;  // never destroyed: usable at exit
  return *live;
}

GlobalBlock* Find(HGLOBAL handle) {
  auto* block = static_cast<GlobalBlock*>(handle);
  return block != nullptr && LiveHandles().count(block) != 0 ? block : nullptr;
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  auto* block = static_cast<GlobalBlock*>(g_platformCalls.Malloc(sizeof(GlobalBlock)));
  if (block == nullptr) return nullptr;
  const SIZE_T stored = bytes == 0 ? 1 : bytes;
  block->data = (flags & GMEM_ZEROINIT) != 0 ? g_platformCalls.Calloc(1, stored)
                                             : g_platformCalls.Malloc(stored);
  if (block->data == nullptr) {
    g_platformCalls.Free(block);
    return nullptr;
  }
  block->size = bytes;
  block->lockCount = 0;
  LiveHandles().insert(block);
  return block;
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL handle, SIZE_T bytes, UINT flags) {
  GlobalBlock* block = Find(handle);
  if (block == nullptr || block->lockCount != 0) return nullptr;
  void* data = g_platformCalls.Realloc(block->data, bytes == 0 ? 1 : bytes);
  if (data == nullptr) return nullptr;
  if ((flags & GMEM_ZEROINIT) != 0 && bytes > block->size) {
    std::memset(static_cast<char*>(data) + block->size, 0, bytes - block->size);
  }
  block->data = data;
  block->size = bytes;
  return block;
}

LPVOID WINAPI GlobalLock(HGLOBAL handle) {
  GlobalBlock* block = Find(handle);
  if (block == nullptr || block->lockCount == GMEM_LOCKCOUNT) return nullptr;
  ++block->lockCount;
  return block->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL handle) {
  GlobalBlock* block = Find(handle);
  if (block == nullptr || block->lockCount == 0) return FALSE;
  --block->lockCount;
  return block->lockCount != 0 ? TRUE : FALSE;
}

UINT WINAPI GlobalFlags(HGLOBAL handle) {
  GlobalBlock* block = Find(handle);
  return block == nullptr ? GMEM_INVALID_HANDLE : (block->lockCount & GMEM_LOCKCOUNT);
}

SIZE_T WINAPI GlobalSize(HGLOBAL handle) {
  GlobalBlock* block = Find(handle);
  return block == nullptr ? 0 : block->size;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL handle) {
  GlobalBlock* block = Find(handle);
  if (block == nullptr || block->lockCount != 0) return handle;
  LiveHandles().erase(block);
  g_platformCalls.Free(block->data);
  g_platformCalls.Free(block);
  return nullptr;
}
