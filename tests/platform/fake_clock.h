// A clock for tests: time moves only when read (a small step, as if the reader spun) or when
// something sleeps (by exactly the time asked), so nothing waits for real and every span is
// known. Restores the platform's clock when it goes.
#pragma once

#include "platform/platform_calls.h"

class ScopedFakeClock {
 public:
  // Starts at start ms; each reading advances by step ms.
  explicit ScopedFakeClock(unsigned long long start = 1000, unsigned step = 1)
      : saved_(g_platformCalls) {
    now_ = start;
    step_ = step;
    slept_ = 0;
    sleeps_ = 0;
    g_platformCalls.MonotonicMs = [] {
      const unsigned long long now = now_;
      now_ += step_;
      return now;
    };
    g_platformCalls.SleepMs = [](unsigned ms) {
      now_ += ms;
      slept_ += ms;
      ++sleeps_;
    };
  }
  ~ScopedFakeClock() {
    g_platformCalls.MonotonicMs = saved_.MonotonicMs;
    g_platformCalls.SleepMs = saved_.SleepMs;
  }
  ScopedFakeClock(const ScopedFakeClock&) = delete;
  ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;

  unsigned long long now() const { return now_; }
  unsigned long long slept() const { return slept_; }  // ms asked of Sleep in total
  unsigned sleeps() const { return sleeps_; }          // Sleep calls
  void Advance(unsigned long long ms) { now_ += ms; }

 private:
  PlatformCalls saved_;
  static inline unsigned long long now_ = 0;
  static inline unsigned step_ = 1;
  static inline unsigned long long slept_ = 0;
  static inline unsigned sleeps_ = 0;
};
