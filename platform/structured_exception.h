// The C++ form of a structured exception, apart from the seam's Windows types so that the Windows
// side can throw it beside the system's own headers.
#pragma once

#include <cstdint>

// What a raised structured exception reaches C++ catch clauses as. Deliberately not derived from
// std::exception: nothing that catches ordinary errors should swallow the library's fatal error.
struct StructuredException {
  uint32_t code;   // the exception code given to RaiseException
  uint32_t flags;  // the flags given to RaiseException
};

// From now on a structured exception raised by RaiseException with an application's code (not a
// fault of the processor, nor the debugger's or a C++ run-time's own) reaches C++ catch clauses as
// StructuredException, on every thread, with the frames in between unwound as for a throw. Hosts
// and tests call it before calling code that may raise the library's fatal error. Idempotent.
void CatchStructuredExceptions();
