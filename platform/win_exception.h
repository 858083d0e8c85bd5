// Structured exceptions. On this platform a raised exception is carried as a C++ exception of type
// StructuredException that holds the code; the library never catches it, hosts and tests may.
#pragma once

#include "platform/win_types.h"

// What RaiseException throws here. Deliberately not derived from std::exception: nothing that
// catches ordinary errors should swallow the library's fatal error.
struct StructuredException {
  DWORD code;   // the exception code given to RaiseException
  DWORD flags;  // the flags given to RaiseException
};

TANSEL_SYSTEM_BEGIN
// Raises a structured exception; does not return. Arguments beyond the code and flags are ignored.
[[noreturn]] void WINAPI RaiseException(DWORD code, DWORD flags, DWORD argumentCount,
                                        const ULONG_PTR* arguments);
TANSEL_SYSTEM_END
