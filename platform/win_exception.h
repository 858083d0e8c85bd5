// Structured exceptions. The library raises its fatal error with RaiseException and never catches
// it; hosts and tests may, as StructuredException once CatchStructuredExceptions was called (here
// a raised exception is carried as a C++ exception from the start).
#pragma once

#include "platform/structured_exception.h"
#include "platform/win_types.h"

TANSEL_SYSTEM_BEGIN
// Raises a structured exception; does not return. Arguments beyond the code and flags are ignored.
[[noreturn]] void WINAPI RaiseException(DWORD code, DWORD flags, DWORD argumentCount,
                                        const ULONG_PTR* arguments);
TANSEL_SYSTEM_END
