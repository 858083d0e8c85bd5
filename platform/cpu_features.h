// What the processor offers beyond the baseline every x64 machine has, asked once by the callers
// that pick a code path at start-up.
#pragma once

#include <cstdlib>

// True where the processor and the system run AVX2 code (256-bit integer vectors). The compiler's
// own check also asks whether the system saves the wide registers; a build for another
// architecture never has them. TANSEL_CPU_BASELINE set to anything but "" or "0" answers false,
// so tests and benchmarks can run the baseline on any machine.
inline bool CpuRunsAvx2() {
  const char* baseline = std::getenv("TANSEL_CPU_BASELINE");
  if (baseline != nullptr && baseline[0] != 0 && !(baseline[0] == '0' && baseline[1] == 0)) {
    return false;
  }
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();  // callers may run before the run-time's own constructors
  return __builtin_cpu_supports("avx2") != 0;
#else
  return false;
#endif
}
