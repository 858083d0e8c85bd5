// The byte-string copies in 32-byte blocks, for processors with AVX2. Only this file's functions
// carry the AVX2 target, so the library still runs on any x64 machine: the caller runs them only
// where the processor has it.
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "strings/byte_blocks_internal.h"
#include "strings/byte_copy_internal.h"

#define TANSEL_AVX2 __attribute__((target("avx2")))
#define TANSEL_COPY_TARGET TANSEL_AVX2
#include "strings/byte_copy_loop_internal.h"

namespace {

typedef long long WideAnyAddress __attribute__((vector_size(32), aligned(1), may_alias));

struct WideCopyBlocks {
  static constexpr size_t kWidth = 32;
  static_assert(kWidth <= kCopyDistance);
  // Like Load, may cover bytes past the terminator inside the same page.
  TANSEL_AVX2 __attribute__((no_sanitize("address"))) static __m256i Load(const char* p) {
    return reinterpret_cast<__m256i>(*reinterpret_cast<const WideAnyAddress*>(p));
  }
  TANSEL_AVX2 static void Store(char* p, __m256i v) {
    *reinterpret_cast<WideAnyAddress*>(p) = reinterpret_cast<WideAnyAddress>(v);
  }
  TANSEL_AVX2 static __m256i Min(__m256i x, __m256i y) { return _mm256_min_epu8(x, y); }
  TANSEL_AVX2 static uint32_t ZeroLanes(__m256i v) {
    return static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
  }
  TANSEL_AVX2 static bool HasZero(__m256i v) { return ZeroLanes(v) != 0; }
  TANSEL_AVX2 static size_t FirstZero4(__m256i x0, __m256i x1, __m256i x2, __m256i x3) {
    uint64_t low = ZeroLanes(x0) | static_cast<uint64_t>(ZeroLanes(x1)) << 32;
    if (low != 0) return static_cast<size_t>(std::countr_zero(low));
    uint64_t high = ZeroLanes(x2) | static_cast<uint64_t>(ZeroLanes(x3)) << 32;
    return 2 * kWidth + static_cast<size_t>(std::countr_zero(high));
  }
  TANSEL_AVX2 static size_t FirstZero(__m256i v, size_t from) {
    uint32_t zeros = ZeroLanes(v) >> from;
    return zeros == 0 ? kWidth : from + static_cast<size_t>(std::countr_zero(zeros));
  }
};

// Most strings end in their first block: that block is looked at here, in a function small
// enough to need no saved registers, before the loop is entered.
TANSEL_AVX2 int CopyWide(char* dst, const char* src, size_t bound) {
  if (PageRest(src) >= WideCopyBlocks::kWidth) {
    uint32_t zeros = WideCopyBlocks::ZeroLanes(WideCopyBlocks::Load(src));
    if (zeros != 0) {
      size_t n = static_cast<size_t>(std::countr_zero(zeros));
      if (n <= bound) {
        MoveShort(dst, src, n + 1);  // the terminator comes along
        return static_cast<int>(n);
      }
      MoveShort(dst, src, bound);
      dst[bound] = 0;
      return static_cast<int>(bound);
    }
  }
  return static_cast<int>(CopyBlocks<WideCopyBlocks>(dst, src, bound));
}

TANSEL_AVX2 int LengthWide(const char* s) {
  return static_cast<int>(LengthInBlocks<WideCopyBlocks>(s));
}

constexpr ByteCopyCode kAvx2Code = {CopyWide, LengthWide};

}  // namespace

const ByteCopyCode* Avx2ByteCopyCode() {
  return &kAvx2Code;
}
