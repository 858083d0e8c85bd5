// Watching the library's heap frees here: the heap table is the platform library's, one for the
// whole process, so every module's frees pass the same entry.
#include "platform/platform_calls.h"
#include "platform/task_memory_watch.h"

namespace {

HeapFreeFilter g_filter = nullptr;
void (*g_passOn)(void*) = nullptr;  // the entry the watch replaced

void FilteredFree(void* block) {
  if (block != nullptr && g_filter != nullptr && !g_filter(block)) return;
  g_passOn(block);
}

}  // namespace

bool FilterLibraryHeapFrees(void*, HeapFreeFilter filter) {
  if (filter != nullptr && g_platformCalls.Free != FilteredFree) {
    g_passOn = g_platformCalls.Free;
    g_platformCalls.Free = FilteredFree;
  } else if (filter == nullptr && g_platformCalls.Free == FilteredFree) {
    g_platformCalls.Free = g_passOn;
  }
  g_filter = filter;
  return true;
}
