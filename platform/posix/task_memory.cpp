// The COM task allocator over the C heap.
#include "platform/platform_calls.h"
#include "platform/win_memory.h"

LPVOID WINAPI CoTaskMemAlloc(SIZE_T bytes) {
  return g_platformCalls.Malloc(bytes == 0 ? 1 : bytes);
}

void WINAPI CoTaskMemFree(LPVOID block) {
  if (block != nullptr) g_platformCalls.Free(block);
}
