// Structured exceptions carried as C++ exceptions.
#include "platform/win_exception.h"

void WINAPI RaiseException(DWORD code, DWORD flags, DWORD, const ULONG_PTR*) {
  throw StructuredException{code, flags};
}

void CatchStructuredExceptions() {}  // a raised exception is a C++ exception already
