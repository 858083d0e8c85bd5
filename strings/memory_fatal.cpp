// The fatal error path, its hooks and the assertions switch. Plain process-wide data: set at
// start-up, read afterwards, on the one thread the host calls us on.
#include "platform/win_exception.h"
#include "strings/memory.h"

namespace {
MemHook g_outOfMemoryHook = nullptr;
MemHook g_bailOutHook = MemDefaultBailOut;
int g_assertionsEnabled = 1;
}  // namespace

void MemRaise(DWORD code) {
  RaiseException(code, 0, 0, nullptr);
}

void MemRaiseFatal() {
  MemRaise(kMemFatalCode);
}

void MemFatal() {
  if (g_outOfMemoryHook != nullptr) g_outOfMemoryHook();
  MemRaiseFatal();
}

MemHook MemSetOutOfMemoryHook(MemHook hook) {
  MemHook previous = g_outOfMemoryHook;
  g_outOfMemoryHook = hook;
  return previous;
}

void MemDefaultBailOut() {
  MemRaiseFatal();
}

MemHook MemSetBailOutHook(MemHook hook) {
  MemHook previous = g_bailOutHook;
  g_bailOutHook = hook != nullptr ? hook : MemDefaultBailOut;
  return previous;
}

void MemBailOut() {
  if (g_bailOutHook != MemDefaultBailOut) g_bailOutHook();
  MemRaiseFatal();
}

int MemSetAssertionsEnabled(int value) {
  int previous = g_assertionsEnabled;
  g_assertionsEnabled = value;
  return previous;
}

int MemAssertionsEnabled() {
  return g_assertionsEnabled;
}
