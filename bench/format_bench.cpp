// FmtString beside the C library's snprintf on the same formats and arguments, in alternation.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/paired.h"
#include "strings/format.h"

namespace {

char g_buffer[256];

// The format as the compiler cannot see it, so that it does not turn snprintf into a copy.
const char* Opaque(const char* format) {
  benchmark::DoNotOptimize(format);
  return format;
}

// FmtString and snprintf in alternation (see paired.h).
template <typename... Args>
void FmtStringBench(benchmark::State& state, const char* format, Args... args) {
  format = Opaque(format);
  tansel_bench::Paired(
      state, [&] { benchmark::DoNotOptimize(FmtString(g_buffer, format, args...)); },
      [&] { benchmark::DoNotOptimize(std::snprintf(g_buffer, sizeof g_buffer, format, args...)); });
}

constexpr const char* kText20 = "twenty bytes of text";

}  // namespace

BENCHMARK_CAPTURE(FmtStringBench, int, "%d", 123456)->Name("FmtString=snprintf/%d");
BENCHMARK_CAPTURE(FmtStringBench, string20, "%s", kText20)->Name("FmtString=snprintf/%s");
BENCHMARK_CAPTURE(FmtStringBench, fixed, "%5.2f", 3.14159)->Name("FmtString=snprintf/%5.2f");
BENCHMARK_CAPTURE(FmtStringBench, hex, "%08x", 0xBEEFu)->Name("FmtString=snprintf/%08x");
BENCHMARK_CAPTURE(FmtStringBench, character, "%c", 'x')->Name("FmtString=snprintf/%c");
BENCHMARK_CAPTURE(FmtStringBench, scientific, "%.3e", 6.02214076e23)
    ->Name("FmtString=snprintf/%.3e");
BENCHMARK_CAPTURE(FmtStringBench, mixed, "%-10s|%08x", "name", 0xBEEFu)
    ->Name("FmtString=snprintf/%-10s|%08x");
