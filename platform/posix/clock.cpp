// The system clock over the platform call table's steady clock.
#include "platform/platform_calls.h"
#include "platform/win_time.h"

DWORD WINAPI GetTickCount() {
  return static_cast<DWORD>(g_platformCalls.MonotonicMs());
}

uint64_t WINAPI GetTickCount64() {
  return g_platformCalls.MonotonicMs();
}

void WINAPI Sleep(DWORD milliseconds) {
  g_platformCalls.SleepMs(milliseconds);
}
