// The library's one allocation layer: plain heap blocks, movable memory handles that carry their
// own size, and the fatal error path.
//
// Every allocation takes flags whose bit 0 (kMemFatal) makes failure fatal: the out-of-memory hook
// runs, then the fatal error (a structured exception with code 1) is raised and the call does not
// return. Without it a failed allocation returns null. Nothing in the library catches the fatal
// error.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

inline constexpr unsigned kMemFatal = 0x1;             // allocation flag: failure is fatal
inline constexpr DWORD kMemFatalCode = 1;              // the code of the fatal structured exception
inline constexpr size_t kMemHandleLimit = 0x7FFF0000;  // handle sizes must stay below this

typedef void (*MemHook)(void);  // a hook the allocation layer calls
typedef HGLOBAL MemHandle;      // a movable block (a global handle)

// ---- Plain blocks (released with MemFree) ----

// A new block of size bytes (at least one byte is asked of the heap, so 0 never looks like
// failure).
void* MemAlloc(size_t size, unsigned flags);
// A new zero-filled block of count × size bytes; a product that does not fit fails.
void* MemCalloc(size_t count, size_t size, unsigned flags);
// Resizes block (null acts as MemAlloc); on failure the old block stays valid and owned.
void* MemRealloc(void* block, size_t size, unsigned flags);
// A new block holding a copy of size bytes of src; null src gives null.
void* MemDup(const void* src, size_t size, unsigned flags);
// Frees block (null allowed); returns 0.
int MemFree(void* block);
// Frees the block that *ref holds (null ref or null block allowed); returns null, *ref untouched.
void* MemFreeRef(void** ref);
// Copies length bytes from src to dst (source first; overlap allowed); 1 when either is null.
int MemCopy(const void* src, void* dst, size_t length);
// Zero-fills length bytes; 1 for a null block.
int MemZero(void* block, size_t length);
// Fills length bytes with byte; a null block is ignored.
void MemFill(void* block, int byte, size_t length);
// 1 when both are non-null and their first length bytes are equal.
int MemEqual(const void* a, const void* b, size_t length);
// Installs the out-of-memory hook (null for none) and returns the previous one.
MemHook MemSetOutOfMemoryHook(MemHook hook);

// ---- Memory handles: a 4-byte size word, then the data bytes ----

// A zero-filled handle of size data bytes; fails for size ≥ kMemHandleLimit.
MemHandle MemHandleAlloc(size_t size, unsigned flags);
// Resizes an unlocked handle (new bytes zero-filled); fails for a locked handle or a size at the
// limit, leaving the handle untouched.
MemHandle MemHandleRealloc(MemHandle handle, size_t size, unsigned flags);
// Frees an unlocked handle: 0, as for null; a locked or refused handle gives 1.
int MemHandleFree(MemHandle handle);
// Locks once and returns the data address (just after the size word), or null.
void* MemHandleLock(MemHandle handle);
// Unlocks once and returns the remaining lock count; a null handle gives 1.
int MemHandleUnlock(MemHandle handle);
// The stored data size; 0 when the handle cannot be locked.
uint32_t MemHandleSize(MemHandle handle);
// 1 when both stored sizes and all data bytes are equal; lock counts are left as they were.
int MemHandleEqual(MemHandle a, MemHandle b);
// Copies min(size of src, size of dst) data bytes from src to dst: 0, or 1 when either handle is
// null or cannot be locked.
int MemHandleCopy(MemHandle src, MemHandle dst);
// Zero-fills the data bytes: 0, or 1 for a null handle or a failed lock.
int MemHandleZero(MemHandle handle);

// ---- The fatal path ----

// Raises the structured exception with code (flags 0, no arguments).
[[noreturn]] void MemRaise(DWORD code);
// Raises the fatal error.
[[noreturn]] void MemRaiseFatal();
// Runs the out-of-memory hook when one is installed, then raises the fatal error.
[[noreturn]] void MemFatal();
// The library's own bail-out routine: raises the fatal error.
void MemDefaultBailOut();
// Installs the bail-out hook (null installs MemDefaultBailOut) and returns the previous one.
MemHook MemSetBailOutHook(MemHook hook);
// The bail-out for broken invariants (a required object is null, an argument is out of range):
// runs the client's bail-out hook unless it is the default, then raises the fatal error.
[[noreturn]] void MemBailOut();
// Sets the assertions switch (initially 1) and returns the previous value.
int MemSetAssertionsEnabled(int value);
// The assertions switch: while it is non-zero, failed internal assertions bail out.
int MemAssertionsEnabled();
