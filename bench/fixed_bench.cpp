// Fixed-point multiply, divide and square root beside the plain 64-bit integer and double
// operations they stand in for, over the same operands.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "fixed/fixed.h"

namespace {

constexpr size_t kCount = 4096;

// Positive, non-zero operands spread over the whole range, fixed by seed.
const std::vector<int32_t>& Operands() {
  static const std::vector<int32_t> values = [] {
    std::mt19937 rng(0x5EED);
    std::vector<int32_t> v(kCount);
    for (int32_t& x : v) x = static_cast<int32_t>(rng() >> (1 + rng() % 24)) | 1;
    return v;
  }();
  return values;
}

void BM_FixedMul(benchmark::State& state) {
  const auto& v = Operands();
  for (auto _ : state)
    for (size_t i = 0; i + 1 < kCount; ++i) benchmark::DoNotOptimize(FixedMul(v[i], v[i + 1]));
}

void BM_Int64MulShift(benchmark::State& state) {
  const auto& v = Operands();
  for (auto _ : state)
    for (size_t i = 0; i + 1 < kCount; ++i)
      benchmark::DoNotOptimize(static_cast<int32_t>(int64_t{v[i]} * v[i + 1] >> 16));
}

void BM_FixedDiv(benchmark::State& state) {
  const auto& v = Operands();
  for (auto _ : state)
    for (size_t i = 0; i + 1 < kCount; ++i) benchmark::DoNotOptimize(FixedDiv(v[i], v[i + 1]));
}

void BM_Int64Div(benchmark::State& state) {
  const auto& v = Operands();
  for (auto _ : state)
    for (size_t i = 0; i + 1 < kCount; ++i)
      benchmark::DoNotOptimize((int64_t{v[i]} << 16) / v[i + 1]);
}

void BM_FixedSqrt(benchmark::State& state) {
  const auto& v = Operands();
  for (auto _ : state)
    for (size_t i = 0; i < kCount; ++i) benchmark::DoNotOptimize(FixedSqrt(v[i]));
}

void BM_DoubleSqrt(benchmark::State& state) {
  const auto& v = Operands();
  for (auto _ : state)
    for (size_t i = 0; i < kCount; ++i)
      benchmark::DoNotOptimize(static_cast<int32_t>(std::sqrt(double(v[i]) * 65536.0)));
}

}  // namespace

BENCHMARK(BM_FixedMul)->Name("FixedMul/4096");
BENCHMARK(BM_Int64MulShift)->Name("FixedMul=int64-shift/4096");
BENCHMARK(BM_FixedDiv)->Name("FixedDiv/4096");
BENCHMARK(BM_Int64Div)->Name("FixedDiv=int64-divide/4096");
BENCHMARK(BM_FixedSqrt)->Name("FixedSqrt/4096");
BENCHMARK(BM_DoubleSqrt)->Name("FixedSqrt=double-sqrt/4096");
