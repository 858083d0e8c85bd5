// What the processor offers beyond the baseline every x64 machine has, asked once by the callers
// that pick a code path at start-up.
#pragma once

#include <cstdlib>
#include <cstring>

// TANSEL_CPU_BASELINE narrows the choice, so that tests and benchmarks can run every path on one
// machine: "avx2" allows AVX2 at most; any other value but "" or "0" allows the baseline alone.
inline bool CpuPathAllowed(const char* path) {
  const char* limit = std::getenv("TANSEL_CPU_BASELINE");
  if (limit == nullptr || limit[0] == 0 || std::strcmp(limit, "0") == 0) return true;
  return std::strcmp(limit, "avx2") == 0 && std::strcmp(path, "avx2") == 0;
}

// True where the processor and the system run AVX2 code (256-bit integer vectors). The compiler's
// own check also asks whether the system saves the wide registers; a build for another
// architecture never has them.
inline bool CpuRunsAvx2() {
  if (!CpuPathAllowed("avx2")) return false;
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();  // callers may run before the run-time's own constructors
  return __builtin_cpu_supports("avx2") != 0;
#else
  return false;
#endif
}

// True where the processor and the system run AVX-512 code on bytes (512-bit vectors, AVX512BW),
// as CpuRunsAvx2 asks.
inline bool CpuRunsAvx512Bytes() {
  if (!CpuPathAllowed("avx512bw")) return false;
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512bw") != 0;
#else
  return false;
#endif
}
