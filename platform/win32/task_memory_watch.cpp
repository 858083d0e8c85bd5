// Watching the task allocator on Windows: a malloc spy registered with ole32 sees every
// CoTaskMemAlloc and CoTaskMemFree of the process. It passes every request through unchanged but
// the frees the watcher refuses (ole32 then frees null). Registered once, at the first watch, and
// kept: ole32 defers revoking a spy while blocks allocated under it are alive. A block moved by
// CoTaskMemRealloc is told as made at its new place.
#include <objbase.h>
#include <windows.h>

#include <atomic>

#include "platform/task_memory_watch.h"

namespace {

std::atomic<void (*)(void*)> g_allocated{nullptr};
std::atomic<bool (*)(void*)> g_freeing{nullptr};

struct FreeSpy final : IMallocSpy {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy)) {
      *out = static_cast<IMallocSpy*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // static: never destroyed
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T bytes) override { return bytes; }
  void* STDMETHODCALLTYPE PostAlloc(void* block) override {
    void (*allocated)(void*) = g_allocated.load();
    if (allocated != nullptr && block != nullptr) allocated(block);
    return block;
  }
  void* STDMETHODCALLTYPE PreFree(void* block, BOOL) override {
    bool (*freeing)(void*) = g_freeing.load();
    if (freeing != nullptr && block != nullptr && !freeing(block)) return nullptr;
    return block;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T bytes, void** out, BOOL) override {
    *out = block;
    return bytes;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return PostAlloc(block); }
  void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T bytes, BOOL) override { return bytes; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

FreeSpy g_spy;

}  // namespace

TaskMemoryWatcher WatchTaskMemory(TaskMemoryWatcher watcher) {
  static const HRESULT registered = CoRegisterMallocSpy(&g_spy);
  (void)registered;  // a failed registration leaves the allocator unwatched, as without a watcher
  return {g_allocated.exchange(watcher.allocated), g_freeing.exchange(watcher.freeing)};
}
