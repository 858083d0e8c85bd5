// The C run-time and kernel32 behind the call table on Windows. The library's heap layer goes
// through it here too, so a test can refuse memory the same way on both systems; descriptors are
// the C run-time's, opened in binary mode.
#include "platform/platform_calls.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdlib>

namespace {
void* CallMalloc(size_t bytes) {
  return std::malloc(bytes);
}
void* CallCalloc(size_t count, size_t bytes) {
  return std::calloc(count, bytes);
}
void* CallRealloc(void* block, size_t bytes) {
  return std::realloc(block, bytes);
}
void CallFree(void* block) {
  std::free(block);
}
int CallOpen(const char* path, int flags, unsigned mode) {
  return _open(path, flags | _O_BINARY, static_cast<int>(mode));
}
long long CallReadAt(int fd, void* buffer, size_t bytes, long long offset) {
  // The C run-time has no positioned read: seek, then read (descriptors are not shared between
  // threads by the callers).
  if (_lseeki64(fd, offset, SEEK_SET) < 0) return -1;
  return _read(fd, buffer, bytes > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<unsigned>(bytes));
}
int CallClose(int fd) {
  return _close(fd);
}
long long CallReadLink(const char*, char*, size_t) {
  return -1;  // no symbolic links to follow for the callers here
}
unsigned long long CallMonotonicMs() {
  return GetTickCount64();
}
void CallSleepMs(unsigned milliseconds) {
  Sleep(milliseconds);
}
void* CallDlOpen(const char* path, int) {
  return reinterpret_cast<void*>(LoadLibraryA(path));
}
void* CallDlSym(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
long long CallRead(int fd, void* buffer, size_t bytes) {
  return _read(fd, buffer, bytes > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<unsigned>(bytes));
}
long long CallWrite(int fd, const void* buffer, size_t bytes) {
  return _write(fd, buffer, bytes > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<unsigned>(bytes));
}
long long CallSeek(int fd, long long offset, int whence) {
  return _lseeki64(fd, offset, whence);
}
int CallFileStat(int fd, long long* size, int* isDirectory) {
  struct _stat64 info = {};
  if (_fstat64(fd, &info) != 0) return -1;
  *size = info.st_size;
  *isDirectory = (info.st_mode & _S_IFDIR) != 0 ? 1 : 0;
  return 0;
}
int CallUnlink(const char* path) {
  return _unlink(path);
}
const char* CallGetEnv(const char* name) {
  return std::getenv(name);
}

constexpr PlatformCalls kDefaultCalls = {
    CallMalloc, CallCalloc,   CallRealloc,     CallFree,     CallOpen,   CallReadAt,
    CallClose,  CallReadLink, CallMonotonicMs, CallSleepMs,  CallDlOpen, CallDlSym,
    CallRead,   CallWrite,    CallSeek,        CallFileStat, CallUnlink, CallGetEnv};
}  // namespace

PlatformCalls g_platformCalls = kDefaultCalls;

void PlatformCallsReset() {
  g_platformCalls = kDefaultCalls;
}
