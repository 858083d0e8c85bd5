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
#include "strings/byte_copy_wide_internal.h"

namespace {

// The copy from src + i on, in the shared loop, once the stretch CopyWide serves is used up.
[[gnu::noinline]] TANSEL_AVX2 int CopyWideFrom(char* dst, const char* src, size_t bound, size_t i) {
  return static_cast<int>(CopyBlocksFrom<WideCopyBlocks>(dst, src, bound, i));
}

// Copies the terminator's block: the block that ends at the terminator at src + k, read before
// any store can reach it (k >= kWidth - 1, or the block would start before src).
TANSEL_AVX2 inline int EndWide(char* dst, const char* src, size_t k) {
  constexpr size_t kWidth = WideCopyBlocks::kWidth;
  WideCopyBlocks::Store(dst + k + 1 - kWidth, WideCopyBlocks::Load(src + k + 1 - kWidth));
  return static_cast<int>(k);
}

// Most strings end in their first block; most others, and the bound, within src's page. That
// stretch is copied here in aligned blocks of src, in a function that needs no saved registers;
// the shared loop takes over where the page ends first.
TANSEL_AVX2 int CopyWide(char* dst, const char* src, size_t bound) {
  using Blocks = WideCopyBlocks;
  constexpr size_t kWidth = Blocks::kWidth;
  size_t page = PageRest(src);
  if (page < kWidth) return CopyWideFrom(dst, src, bound, 0);
  __m256i x = Blocks::Load(src);
  if (uint32_t zeros = Blocks::ZeroLanes(x); zeros != 0) {
    size_t n = static_cast<size_t>(std::countr_zero(zeros));
    if (n <= bound) {
      MoveShort(dst, src, n + 1);  // the terminator comes along
      return static_cast<int>(n);
    }
  }
  if (bound < kWidth) {
    MoveShort(dst, src, bound);
    dst[bound] = 0;
    return static_cast<int>(bound);
  }
  Blocks::Store(dst, x);
  // On from the first block boundary of src: its blocks then never straddle two cache lines or
  // reach past the page end (a few bytes are copied twice, which the distance allows).
  size_t i = kWidth - (reinterpret_cast<uintptr_t>(src) & (kWidth - 1));
  size_t end = std::min(page, bound);
  for (; end - i >= 4 * kWidth; i += 4 * kWidth) {
    __m256i x0, x1, x2, x3;
    // The first block held no terminator, so the block that ends at one starts at src or later.
    if (size_t k = LoadFourBlocks<Blocks>(src + i, x0, x1, x2, x3); k < 4 * kWidth)
      return static_cast<int>(EndInFourBlocks<Blocks>(dst, src, i, k, x0, x1, x2));
    Blocks::Store(dst + i, x0);
    Blocks::Store(dst + i + kWidth, x1);
    Blocks::Store(dst + i + 2 * kWidth, x2);
    Blocks::Store(dst + i + 3 * kWidth, x3);
  }
  for (; end - i >= kWidth; i += kWidth) {
    x = Blocks::Load(src + i);
    if (uint32_t zeros = Blocks::ZeroLanes(x); zeros != 0)
      return EndWide(dst, src, i + static_cast<size_t>(std::countr_zero(zeros)));
    Blocks::Store(dst + i, x);
  }
  if (end == page) return CopyWideFrom(dst, src, bound, i);  // i is the page end
  // The bound lies fewer than kWidth bytes on, in this page, as does the block at src + i.
  x = Blocks::Load(src + i);
  size_t n = std::min(Blocks::FirstZero(x, 0), bound - i);
  MoveShort(dst + i, src + i, n);
  dst[i + n] = 0;
  return static_cast<int>(i + n);
}

TANSEL_AVX2 int LengthWide(const char* s) {
  return static_cast<int>(LengthInBlocks<WideCopyBlocks>(s));
}

constexpr ByteCopyCode kAvx2Code = {CopyWide, LengthWide, CopyNotingRunIn<WideRunTest>,
                                    LengthNotingRunIn<WideRunTest>};

}  // namespace

const ByteCopyCode* Avx2ByteCopyCode() {
  return &kAvx2Code;
}
