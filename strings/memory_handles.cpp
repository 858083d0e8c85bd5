// Movable memory handles on the platform's global memory. The block holds a 4-byte size word and
// then the data, so a handle knows its own size whatever the platform rounds its blocks to.
#include <cstring>

#include "platform/win_memory.h"
#include "strings/memory.h"

namespace {

constexpr UINT kHandleFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;

MemHandle Failed(unsigned flags) {
  if ((flags & kMemFatal) != 0) MemFatal();
  return nullptr;
}

bool Locked(MemHandle handle) {
  return (GlobalFlags(handle) & GMEM_LOCKCOUNT) != 0;
}

// Locks handle for the life of the view; data is null when the lock failed.
struct HandleView {
  explicit HandleView(MemHandle h) : handle(h) {
    word = h == nullptr ? nullptr : static_cast<uint32_t*>(GlobalLock(h));
  }
  ~HandleView() {
    if (word != nullptr) GlobalUnlock(handle);
  }
  HandleView(const HandleView&) = delete;
  HandleView& operator=(const HandleView&) = delete;
  bool ok() const { return word != nullptr; }
  uint32_t size() const { return *word; }
  unsigned char* data() const { return reinterpret_cast<unsigned char*>(word + 1); }

  MemHandle handle;
  uint32_t* word;
};

}  // namespace

MemHandle MemHandleAlloc(size_t size, unsigned flags) {
  if (size >= kMemHandleLimit) return Failed(flags);
  MemHandle handle = GlobalAlloc(kHandleFlags, size + sizeof(uint32_t));
  if (handle == nullptr) return Failed(flags);
  {
    HandleView view(handle);
    if (!view.ok()) {
      GlobalFree(handle);
      return Failed(flags);
    }
    *view.word = static_cast<uint32_t>(size);
  }
  return handle;
}

MemHandle MemHandleRealloc(MemHandle handle, size_t size, unsigned flags) {
  if (handle == nullptr || size >= kMemHandleLimit || Locked(handle)) return Failed(flags);
  MemHandle moved = GlobalReAlloc(handle, size + sizeof(uint32_t), kHandleFlags);
  if (moved == nullptr) return Failed(flags);
  HandleView view(moved);
  if (view.ok()) *view.word = static_cast<uint32_t>(size);
  return moved;
}

int MemHandleFree(MemHandle handle) {
  if (handle == nullptr) return 0;  // as GlobalFree of a null handle, which succeeds
  if (Locked(handle)) return 1;
  return GlobalFree(handle) == nullptr ? 0 : 1;
}

void* MemHandleLock(MemHandle handle) {
  if (handle == nullptr) return nullptr;
  auto* word = static_cast<uint32_t*>(GlobalLock(handle));
  return word == nullptr ? nullptr : word + 1;
}

int MemHandleUnlock(MemHandle handle) {
  if (handle == nullptr) return 1;
  GlobalUnlock(handle);
  return static_cast<int>(GlobalFlags(handle) & GMEM_LOCKCOUNT);
}

uint32_t MemHandleSize(MemHandle handle) {
  HandleView view(handle);
  return view.ok() ? view.size() : 0;
}

int MemHandleEqual(MemHandle a, MemHandle b) {
  HandleView va(a);
  HandleView vb(b);
  if (!va.ok() || !vb.ok() || va.size() != vb.size()) return 0;
  return std::memcmp(va.data(), vb.data(), va.size()) == 0 ? 1 : 0;
}

int MemHandleCopy(MemHandle src, MemHandle dst) {
  HandleView vs(src);
  HandleView vd(dst);
  if (!vs.ok() || !vd.ok()) return 1;
  std::memmove(vd.data(), vs.data(), vs.size() < vd.size() ? vs.size() : vd.size());
  return 0;
}

int MemHandleZero(MemHandle handle) {
  HandleView view(handle);
  if (!view.ok()) return 1;
  std::memset(view.data(), 0, view.size());
  return 0;
}
