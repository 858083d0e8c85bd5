// Watching the COM task allocator across the whole process, whichever module calls it: how a
// simulated host learns which of the blocks it handed out a client gave back, and which blocks
// given to CoTaskMemFree the allocator never made. (On Windows the watch is an IMallocSpy
// registered with ole32.) Also watching the frees of the library's own heap in a module, where a
// host block does not belong.
#pragma once

struct TaskMemoryWatcher {
  void (*allocated)(void* block);  // after the task allocator made block
  bool (*freeing)(void* block);    // before block is freed: false leaves it alone (not freed)
};

// From now on the watcher's functions are called for each block the task allocator makes and for
// each block given to CoTaskMemFree; null members are not called. One watcher at a time: returns
// the one it replaces.
TaskMemoryWatcher WatchTaskMemory(TaskMemoryWatcher watcher);

// From now on filter(block) is called before each free the library's heap layer makes in module
// (MemFree, and the frees of every library call that releases a block for its caller); when it
// answers false the block is left alone. Null stops the watch. One filter at a time, for any
// number of modules. False when the module's frees cannot be watched (on Windows each module
// carries the library's heap table of its own, found through its symbol table; a stripped module
// has none). module is the module's handle (HMODULE; this header is also read beside Windows' own).
typedef bool (*HeapFreeFilter)(void* block);
bool FilterLibraryHeapFrees(void* module, HeapFreeFilter filter);
