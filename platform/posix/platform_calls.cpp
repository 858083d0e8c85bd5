// The C library behind the platform stand-ins.
#include "platform/platform_calls.h"

#include <fcntl.h>
#include <unistd.h>

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

constexpr PlatformCalls kDefaultCalls = {CallMalloc, CallCalloc, CallRealloc, CallFree,
                                         CallOpen,   CallReadAt, CallClose,   CallReadLink};
}  // namespace

PlatformCalls g_platformCalls = kDefaultCalls;

void PlatformCallsReset() {
  g_platformCalls = kDefaultCalls;
}
