// Global memory handles and the COM task allocator, with Windows' names and contracts.
//
// A global handle names a movable block: the handle stays the same while the block may move on
// reallocation. Each handle has a lock count (the low byte of GlobalFlags); a locked block is
// neither resized nor freed. Unknown or already-freed handles are refused rather than trusted.
#pragma once

#include "platform/win_types.h"

// GlobalAlloc's flags (fixed, movable, zero-filled, both), GlobalFlags' lock-count mask
// and its answer for an unknown handle.
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GMEM_LOCKCOUNT 0x00FF
#define GMEM_INVALID_HANDLE 0x8000

TANSEL_SYSTEM_BEGIN
// Allocates a block of bytes bytes (zero-filled with GMEM_ZEROINIT); null when refused.
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
// Resizes an unlocked block, keeping its contents (new bytes zero-filled with GMEM_ZEROINIT);
// null when the handle is unknown, locked, or the memory is refused (the block is then unchanged).
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL handle, SIZE_T bytes, UINT flags);
// Adds one to the lock count and returns the block's address; null for an unknown handle.
LPVOID WINAPI GlobalLock(HGLOBAL handle);
// Removes one from the lock count; non-zero while the block is still locked afterwards.
BOOL WINAPI GlobalUnlock(HGLOBAL handle);
// The lock count in the low byte; GMEM_INVALID_HANDLE for an unknown handle.
UINT WINAPI GlobalFlags(HGLOBAL handle);
// The block's size in bytes; 0 for an unknown handle.
SIZE_T WINAPI GlobalSize(HGLOBAL handle);
// Frees an unlocked block: null on success, the handle itself when it is unknown or locked.
HGLOBAL WINAPI GlobalFree(HGLOBAL handle);

// The COM task allocator: the heap on which a COM server hands memory to its caller.
LPVOID WINAPI CoTaskMemAlloc(SIZE_T bytes);
void WINAPI CoTaskMemFree(LPVOID block);
TANSEL_SYSTEM_END
