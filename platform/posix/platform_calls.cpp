// The C library behind the platform stand-ins.
#include "platform/platform_calls.h"

#include <cstdlib>

namespace {
void* CallMalloc(size_t bytes) { return std::malloc(bytes); }
void* CallCalloc(size_t count, size_t bytes) { return std::calloc(count, bytes); }
void* CallRealloc(void* block, size_t bytes) { return std::realloc(block, bytes); }
void CallFree(void* block) { std::free(block); }
}  // namespace

PlatformCalls g_platformCalls = {CallMalloc, CallCalloc, CallRealloc, CallFree};

void PlatformCallsReset() { g_platformCalls = {CallMalloc, CallCalloc, CallRealloc, CallFree}; }
