// The system clock with Windows' names: milliseconds since an arbitrary start, and sleeping. Both
// go through the platform call table, so a test can replace time and never sleep for real.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

TANSEL_SYSTEM_BEGIN
// Milliseconds of the steady clock, cut to 32 bits: it wraps every 49.7 days, so callers measure
// spans by unsigned subtraction.
DWORD WINAPI GetTickCount();
// The same clock in 64 bits, which does not wrap.
uint64_t WINAPI GetTickCount64();
// Suspends the calling thread for milliseconds.
void WINAPI Sleep(DWORD milliseconds);
TANSEL_SYSTEM_END
