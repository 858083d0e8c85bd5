// Watching the COM task allocator's frees across the whole process, whichever module calls
// CoTaskMemFree: how a simulated host learns which of the blocks it handed out a client gave back.
// (On Windows the watch is an IMallocSpy registered with ole32.)
#pragma once

typedef void (*TaskFreeWatcher)(void* block);

// From now on watcher(block) is called for each block given to CoTaskMemFree, before it is freed;
// null stops the watch. One watcher at a time: returns the one it replaces.
TaskFreeWatcher WatchTaskMemoryFrees(TaskFreeWatcher watcher);
