// The COM task allocator over the C heap.
#include "platform/platform_calls.h"
#include "platform/task_memory_watch.h"
#include "platform/win_memory.h"

namespace {
TaskMemoryWatcher g_watcher = {nullptr, nullptr};
}  // namespace

LPVOID WINAPI CoTaskMemAlloc(SIZE_T bytes) {
  void* block = g_platformCalls.Malloc(bytes == 0 ? 1 : bytes);
  if (block != nullptr && g_watcher.allocated != nullptr) g_watcher.allocated(block);
  return block;
}

void WINAPI CoTaskMemFree(LPVOID block) {
  if (block == nullptr) return;
  if (g_watcher.freeing != nullptr && !g_watcher.freeing(block)) return;
  g_platformCalls.Free(block);
}

TaskMemoryWatcher WatchTaskMemory(TaskMemoryWatcher watcher) {
  TaskMemoryWatcher previous = g_watcher;
  g_watcher = watcher;
  return previous;
}
