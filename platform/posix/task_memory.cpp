// The COM task allocator over the C heap.
#include "platform/platform_calls.h"
#include "platform/task_memory_watch.h"
#include "platform/win_memory.h"

namespace {
TaskFreeWatcher g_watcher = nullptr;
}  // namespace

LPVOID WINAPI CoTaskMemAlloc(SIZE_T bytes) {
  return g_platformCalls.Malloc(bytes == 0 ? 1 : bytes);
}

void WINAPI CoTaskMemFree(LPVOID block) {
  if (block == nullptr) return;
  if (g_watcher != nullptr) g_watcher(block);
  g_platformCalls.Free(block);
}

TaskFreeWatcher WatchTaskMemoryFrees(TaskFreeWatcher watcher) {
  TaskFreeWatcher previous = g_watcher;
  g_watcher = watcher;
  return previous;
}
