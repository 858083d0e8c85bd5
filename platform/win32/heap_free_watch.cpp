// Watching the library's heap frees on Windows: each module links the library with a heap table
// of its own, so the watch replaces the free entry of the module's table, found through the
// module's symbol table. Every table's entry is the C run-time's free (msvcrt's, shared by the
// modules), so the frees the filter lets through go to the first entry replaced.
#include "platform/platform_calls.h"
#include "platform/task_memory_watch.h"
#include "platform/win_module.h"

namespace {

HeapFreeFilter g_filter = nullptr;
void (*g_passOn)(void*) = nullptr;

void FilteredFree(void* block) {
  if (block != nullptr && g_filter != nullptr && !g_filter(block)) return;
  g_passOn(block);
}

}  // namespace

bool FilterLibraryHeapFrees(void* module, HeapFreeFilter filter) {
  auto* table = static_cast<PlatformCalls*>(ModuleSymbolAddress(module, "g_platformCalls"));
  if (table == nullptr) return false;
  if (table->Free != FilteredFree) {
    if (g_passOn == nullptr) g_passOn = table->Free;
    table->Free = FilteredFree;
  }
  g_filter = filter;
  return true;
}
