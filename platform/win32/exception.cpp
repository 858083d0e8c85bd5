// Structured exceptions reaching C++ catch clauses on Windows. GCC's C++ exceptions are themselves
// structured exceptions, but a catch clause only takes its own kind: a code raised by
// RaiseException passes by. A vectored handler therefore turns an application's raised exception
// into a throw from the raising point: it resumes the thread in ThrowRaised as if RaiseException
// had called it, and the throw unwinds from there through the raiser's frames, running their
// destructors, to the nearest matching catch.
#include <windows.h>

#include <atomic>

#include "platform/structured_exception.h"

namespace {

constexpr DWORD kGccThrow = 0x20474343;   // GCC's own C++ exception ("GCC" + 0x20)
constexpr DWORD kGccUnwind = 0x21474343;  // GCC's forced unwind
constexpr DWORD kMsvcThrow = 0xE06D7363;  // Microsoft's C++ exception

thread_local StructuredException t_raised;

[[noreturn]] __attribute__((noinline)) void ThrowRaised() {
  throw t_raised;
}

// An application's code: severity "success" (the library's fatal error is 1) or a customer code
// of severity "error" (0xE...). Processor faults (0xC0000005), debugger events and the run-times'
// own exceptions keep their usual course.
bool Converted(DWORD code) {
  if (code == kGccThrow || code == kGccUnwind || code == kMsvcThrow) return false;
  DWORD severity = code >> 30;
  return severity == 0 || (severity == 3 && (code & 0x20000000) != 0);
}

LONG CALLBACK ConvertRaised(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (!Converted(record->ExceptionCode) || (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) != 0)
    return EXCEPTION_CONTINUE_SEARCH;
  t_raised = {record->ExceptionCode, record->ExceptionFlags};
  // The context is RaiseException's own at its call into the dispatcher (Rip is that call's
  // return address, Rsp the stack pointer there): pushing Rip makes ThrowRaised look called from
  // that point, with the stack aligned as at any function's entry. The slot written is the one
  // that already holds this return address.
  CONTEXT* context = info->ContextRecord;
  context->Rsp -= sizeof(DWORD64);
  *reinterpret_cast<DWORD64*>(context->Rsp) = context->Rip;
  context->Rip = reinterpret_cast<DWORD64>(&ThrowRaised);
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

void CatchStructuredExceptions() {
  static std::atomic<bool> installed{false};
  if (!installed.exchange(true)) AddVectoredExceptionHandler(1, ConvertRaised);
}
