// The AVX2 path's blocks and its tracking of runs of double-byte characters, shared by the paths
// that build on it (AVX2 and AVX-512): the copy and the measuring pass that note where the last run
// begins, over a RunTest record of the path's widest blocks. A source includes it after defining
// TANSEL_COPY_TARGET and including byte_copy_loop_internal.h. Not part of the library's interface.
#pragma once

#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "strings/byte_blocks_internal.h"
#include "strings/byte_copy_internal.h"

#ifndef TANSEL_AVX2
#define TANSEL_AVX2 __attribute__((target("avx2")))
#endif

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

// Notes the end of the last block seen that holds a byte outside the range (exactly, after the
// byte, for the copy's parts). A byte's distance above the range's first byte, less its span,
// saturates to zero inside it; four blocks are tested at once through their largest distance.
struct WideRunTrack {
  __m256i first, span;
  size_t run = 0;

  TANSEL_AVX2 explicit WideRunTrack(const PairRanges& r)
      : first(_mm256_set1_epi8(static_cast<char>(r.first[0]))),
        span(_mm256_set1_epi8(static_cast<char>(r.last[0] - r.first[0]))) {}

  TANSEL_AVX2 __m256i Above(__m256i x) const { return _mm256_sub_epi8(x, first); }
  TANSEL_AVX2 __m256i Outside(__m256i x) const { return _mm256_subs_epu8(Above(x), span); }
  TANSEL_AVX2 static bool Any(__m256i v) { return _mm256_testz_si256(v, v) == 0; }

  TANSEL_AVX2 void Whole(size_t i, __m256i x) {
    run = Any(Outside(x)) ? i + WideCopyBlocks::kWidth : run;
  }
  TANSEL_AVX2 void Whole4(size_t i, __m256i x0, __m256i x1, __m256i x2, __m256i x3) {
    __m256i most = _mm256_max_epu8(_mm256_max_epu8(Above(x0), Above(x1)),
                                   _mm256_max_epu8(Above(x2), Above(x3)));
    run = Any(_mm256_subs_epu8(most, span)) ? i + 4 * WideCopyBlocks::kWidth : run;
  }
  TANSEL_AVX2 void Part(size_t i, __m256i x, size_t from, size_t n) {
    if (n == 0) return;
    auto inside = static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(Outside(x), _mm256_setzero_si256())));
    uint64_t lanes = ((uint64_t{1} << n) - 1) << from;  // from + n <= 32
    uint64_t out = ~static_cast<uint64_t>(inside) & lanes;
    if (out != 0) run = i + (63 - static_cast<size_t>(std::countl_zero(out))) + 1 - from;
  }
};

// Eight blocks at a time for the AVX2 path's passes that note the run: one test of the eight for a
// byte outside r's one range, a terminator included (it lies below the range), through their
// smallest byte below its first or their largest above its last. The copy's zero test comes with
// it, so a long run costs little more than a plain copy.
struct WideRunTest {
  typedef __m256i Vector;
  static constexpr size_t kBlocks = 8;
  static constexpr size_t kWidth = WideCopyBlocks::kWidth;
  __m256i first, last;

  TANSEL_AVX2 explicit WideRunTest(const PairRanges& r)
      : first(_mm256_set1_epi8(static_cast<char>(r.first[0]))),
        last(_mm256_set1_epi8(static_cast<char>(r.last[0]))) {}

  TANSEL_AVX2 static void Store(char* p, __m256i v) { WideCopyBlocks::Store(p, v); }

  // Reads the blocks at p (the bytes from offset i of the text) into x and notes them in track;
  // false, noting nothing, when they hold the terminator.
  TANSEL_AVX2 bool Take(const char* p, size_t i, WideRunTrack& track, __m256i x[kBlocks]) const {
    for (size_t k = 0; k < kBlocks; ++k) x[k] = WideCopyBlocks::Load(p + k * kWidth);
    // Trees, not chains: the blocks are taken in parallel.
    __m256i least =
        _mm256_min_epu8(_mm256_min_epu8(_mm256_min_epu8(x[0], x[1]), _mm256_min_epu8(x[2], x[3])),
                        _mm256_min_epu8(_mm256_min_epu8(x[4], x[5]), _mm256_min_epu8(x[6], x[7])));
    __m256i most =
        _mm256_max_epu8(_mm256_max_epu8(_mm256_max_epu8(x[0], x[1]), _mm256_max_epu8(x[2], x[3])),
                        _mm256_max_epu8(_mm256_max_epu8(x[4], x[5]), _mm256_max_epu8(x[6], x[7])));
    __m256i out = _mm256_or_si256(_mm256_subs_epu8(first, least), _mm256_subs_epu8(most, last));
    if (_mm256_testz_si256(out, out) != 0) return true;
    if (WideCopyBlocks::HasZero(least)) return false;
    track.run = i + kBlocks * kWidth;
    return true;
  }
};

// Runs of blocks from offset i (a block boundary of s) on, page by page while the bound is a run
// away or more: RunTest's blocks tested at once, then single blocks up to the page end, which they
// meet exactly. Stops before the blocks that hold the terminator, and returns the offset reached;
// each run is handed to takeRun, each single block to take (false: the terminator is there,
// nothing taken).
//
// What a RunTest record offers: Vector, its blocks' type; kBlocks blocks of kWidth bytes in a run;
// Store(p, v); Take(p, i, track, x), which reads a run at p (offset i) into x and notes it in
// track, false when it holds the terminator.
template <typename RunTest, typename TakeRun, typename Take>
TANSEL_COPY_TARGET inline size_t RunOfBlocks(const char* s, size_t bound, size_t i, TakeRun takeRun,
                                             Take take) {
  constexpr size_t kRun = RunTest::kBlocks * RunTest::kWidth;
  while (bound - i >= kRun) {
    size_t end = i + std::min(PageRest(s + i), bound - i);
    // Single blocks up to a boundary of RunTest's blocks, which then never straddle two cache
    // lines.
    for (; (reinterpret_cast<uintptr_t>(s + i) & (RunTest::kWidth - 1)) != 0 &&
           end - i >= WideCopyBlocks::kWidth;
         i += WideCopyBlocks::kWidth) {
      if (!take(i)) return i;
    }
    for (; end - i >= kRun; i += kRun) {
      if (!takeRun(i)) return i;
    }
    for (; end - i >= WideCopyBlocks::kWidth; i += WideCopyBlocks::kWidth) {
      if (!take(i)) return i;
    }
  }
  return i;
}

// The copy that notes the run: the first block, then runs of blocks (RunOfBlocks); the shared
// loop, tracking every block, takes the blocks that hold the terminator and the rest.
template <typename RunTest>
TANSEL_COPY_TARGET int CopyNotingRunIn(char* dst, const char* src, size_t bound,
                                       const PairRanges& r, size_t* run) {
  using Blocks = WideCopyBlocks;
  constexpr size_t kWidth = Blocks::kWidth;
  WideRunTrack track(r);
  size_t i = 0;
  if (PageRest(src) >= kWidth && bound >= kWidth) {
    __m256i x = Blocks::Load(src);
    if (!Blocks::HasZero(x)) {
      Blocks::Store(dst, x);
      track.Whole(0, x);
      const RunTest test(r);
      i = RunOfBlocks<RunTest>(
          src, bound, kWidth - (reinterpret_cast<uintptr_t>(src) & (kWidth - 1)),
          [&](size_t k) TANSEL_COPY_TARGET {
            typename RunTest::Vector run[RunTest::kBlocks];
            if (!test.Take(src + k, k, track, run)) return false;
            for (size_t q = 0; q < RunTest::kBlocks; ++q)
              RunTest::Store(dst + k + q * RunTest::kWidth, run[q]);
            return true;
          },
          [&](size_t k) TANSEL_COPY_TARGET {
            __m256i y = Blocks::Load(src + k);
            if (Blocks::HasZero(y)) return false;
            Blocks::Store(dst + k, y);
            track.Whole(k, y);
            return true;
          });
    }
  }
  size_t n = CopyBlocksFrom<WideCopyBlocks>(dst, src, bound, i, track);
  *run = track.run;
  return static_cast<int>(n);
}

// The measuring pass that notes the run, in the same way: the aligned block around s, then runs of
// blocks, then the shared loop.
template <typename RunTest>
TANSEL_COPY_TARGET size_t LengthNotingRunIn(const char* s, size_t bound, const PairRanges& r,
                                            size_t* run) {
  using Blocks = WideCopyBlocks;
  WideRunTrack track(r);
  bool ended = false;
  size_t i = LengthInFirstBlock<Blocks>(s, bound, track, &ended);
  if (ended) {
    *run = track.run;
    return i;
  }
  const RunTest test(r);
  i = RunOfBlocks<RunTest>(
      s, bound, i,
      [&](size_t k) TANSEL_COPY_TARGET {
        typename RunTest::Vector run[RunTest::kBlocks];
        return test.Take(s + k, k, track, run);
      },
      [&](size_t k) TANSEL_COPY_TARGET {
        __m256i y = Blocks::Load(s + k);
        if (Blocks::HasZero(y)) return false;
        track.Whole(k, y);
        return true;
      });
  size_t n = LengthWithinBlocksFrom<WideCopyBlocks>(s, bound, i, track);
  *run = track.run;
  return n;
}

}  // namespace
