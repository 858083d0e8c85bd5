#include "tests/support/fault_injection.h"

namespace {
long g_budget = 0;
long g_refused = 0;
PlatformCalls g_real;

bool Spend() {
  if (g_budget > 0) {
    --g_budget;
    return true;
  }
  ++g_refused;
  return false;
}
void* FailingMalloc(size_t bytes) {
  return Spend() ? g_real.Malloc(bytes) : nullptr;
}
void* FailingCalloc(size_t n, size_t bytes) {
  return Spend() ? g_real.Calloc(n, bytes) : nullptr;
}
void* FailingRealloc(void* p, size_t bytes) {
  return Spend() ? g_real.Realloc(p, bytes) : nullptr;
}
}  // namespace

ScopedAllocationFailure::ScopedAllocationFailure(long allowed) : saved_(g_platformCalls) {
  g_real = g_platformCalls;
  g_budget = allowed;
  g_refused = 0;
  g_platformCalls.Malloc = FailingMalloc;
  g_platformCalls.Calloc = FailingCalloc;
  g_platformCalls.Realloc = FailingRealloc;
}

ScopedAllocationFailure::~ScopedAllocationFailure() {
  g_platformCalls = saved_;
}

void ScopedAllocationFailure::Allow(long allowed) {
  g_budget = allowed;
}

long ScopedAllocationFailure::refused() const {
  return g_refused;
}
