// Test helpers: refusing allocations through the platform's call table, and catching the
// library's fatal error.
#pragma once

#include <cstddef>

#include "platform/platform_calls.h"
#include "platform/win_exception.h"

// While alive, allocations through the platform table succeed `allowed` more times and are then
// refused (null), until the scope ends or Allow is called. Restores the table on destruction.
class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(long allowed = 0);
  ~ScopedAllocationFailure();
  ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
  ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;

  void Allow(long allowed);  // resets the budget
  long refused() const;      // allocations refused so far

 private:
  PlatformCalls saved_;
};

// Runs fn and returns the code of the structured exception it raised, or -1 when it returned.
template <typename Fn>
long RaisedCode(Fn&& fn) {
  CatchStructuredExceptions();
  try {
    fn();
  } catch (const StructuredException& e) {
    return static_cast<long>(e.code);
  }
  return -1;
}
