// The table through which the platform stand-ins reach the C library. Tests replace an entry to
// inject a fault (a refused allocation, later a short read or a full disk) and restore the
// defaults with PlatformCallsReset. Nothing outside platform/ calls these directly except the
// library's own heap layer, which must fail the same way.
#pragma once

#include <cstddef>

struct PlatformCalls {
  void* (*Malloc)(size_t bytes);                            // malloc
  void* (*Calloc)(size_t count, size_t bytes);              // calloc
  void* (*Realloc)(void* block, size_t bytes);              // realloc
  void (*Free)(void* block);                                // free
  int (*Open)(const char* path, int flags, unsigned mode);  // open: a descriptor, or -1
  long long (*ReadAt)(int fd, void* buffer, size_t bytes, long long offset);  // pread
  int (*Close)(int fd);                                                       // close
  long long (*ReadLink)(const char* path, char* buffer, size_t size);         // readlink
  unsigned long long (*MonotonicMs)();                           // milliseconds of a steady clock
  void (*SleepMs)(unsigned milliseconds);                        // sleeps that long
  void* (*DlOpen)(const char* path, int flags);                  // dlopen
  void* (*DlSym)(void* handle, const char* name);                // dlsym
  long long (*Read)(int fd, void* buffer, size_t bytes);         // read: bytes, 0 at the end, -1
  long long (*Write)(int fd, const void* buffer, size_t bytes);  // write: bytes taken, or -1
  long long (*Seek)(int fd, long long offset, int whence);       // lseek: the new offset, or -1
  int (*FileStat)(int fd, long long* size, int* isDirectory);    // fstat: 0, or -1
  int (*Unlink)(const char* path);                               // unlink: 0, or -1
  const char* (*GetEnv)(const char* name);                       // getenv
};

// The live table; its entries are never null.
extern PlatformCalls g_platformCalls;

// Restores every entry to the C library's own function.
void PlatformCallsReset();
