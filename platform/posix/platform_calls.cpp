// The C library behind the platform stand-ins.
#include "platform/platform_calls.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

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
  return open(path, flags, static_cast<mode_t>(mode));
}
long long CallReadAt(int fd, void* buffer, size_t bytes, long long offset) {
  return pread(fd, buffer, bytes, static_cast<off_t>(offset));
}
int CallClose(int fd) {
  return close(fd);
}
long long CallReadLink(const char* path, char* buffer, size_t size) {
  return readlink(path, buffer, size);
}
unsigned long long CallMonotonicMs() {
  timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<unsigned long long>(now.tv_sec) * 1000u +
         static_cast<unsigned long long>(now.tv_nsec) / 1000000u;
}
void CallSleepMs(unsigned milliseconds) {
  timespec left = {static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}
void* CallDlOpen(const char* path, int flags) {
  return dlopen(path, flags);
}
void* CallDlSym(void* handle, const char* name) {
  return dlsym(handle, name);
}
long long CallRead(int fd, void* buffer, size_t bytes) {
  ssize_t n;
  while ((n = read(fd, buffer, bytes)) < 0 && errno == EINTR) {
  }
  return n;
}
long long CallWrite(int fd, const void* buffer, size_t bytes) {
  ssize_t n;
  while ((n = write(fd, buffer, bytes)) < 0 && errno == EINTR) {
  }
  return n;
}
long long CallSeek(int fd, long long offset, int whence) {
  return lseek(fd, static_cast<off_t>(offset), whence);
}
int CallFileStat(int fd, long long* size, int* isDirectory) {
  struct stat info = {};
  if (fstat(fd, &info) != 0) return -1;
  *size = info.st_size;
  *isDirectory = S_ISDIR(info.st_mode) ? 1 : 0;
  return 0;
}
int CallUnlink(const char* path) {
  return unlink(path);
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
