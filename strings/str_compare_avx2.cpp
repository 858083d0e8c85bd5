// The byte-string comparisons in 32-byte blocks, for processors with AVX2. Only this file's
// functions carry the AVX2 target, so the library still runs on any x64 machine: the caller runs
// them only where the processor has it.
//
// The page-end rule is the baseline's: a block is read only where it ends in the page it starts
// in. Near a page end the wide block that ends there is read, its first lanes repeating bytes
// already compared; where that block would start before the string or in the page before, a 16-byte
// block is tried, then single bytes.
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "strings/byte_blocks_internal.h"
#include "strings/byte_compare_internal.h"
#include "strings/byte_string_internal.h"

#define TANSEL_AVX2 __attribute__((target("avx2")))
#define TANSEL_COMPARE_TARGET TANSEL_AVX2
#include "strings/byte_compare_loop_internal.h"

namespace {

constexpr size_t kWide = 32;
constexpr size_t kNarrow = 16;

typedef long long WideAnyAddress __attribute__((vector_size(32), aligned(1), may_alias));

// Like Load, may cover bytes past the terminator inside the same page.
TANSEL_AVX2 __attribute__((no_sanitize("address"))) inline __m256i LoadWide(const void* p) {
  return reinterpret_cast<__m256i>(*static_cast<const WideAnyAddress*>(p));
}

inline unsigned char Mapped(bool folded, unsigned char c) {
  return folded ? Fold(static_cast<char>(c)) : c;
}

// Non-zero lanes where x and y stop being equal: bytes that differ and, folded, differ other
// than by the case of an ASCII letter (see the baseline's Differences for why the table agrees).
template <bool folded>
TANSEL_AVX2 inline __m256i WideDifferences(__m256i x, __m256i y) {
  __m256i d = _mm256_xor_si256(x, y);
  if constexpr (folded) {
    // 'a' to 'z' become -128 to -103 as signed lanes: one signed comparison finds the letters.
    __m256i shifted = _mm256_add_epi8(_mm256_or_si256(x, _mm256_set1_epi8(0x20)),
                                      _mm256_set1_epi8(static_cast<char>(0x80 - 'a')));
    __m256i letter = _mm256_cmpgt_epi8(_mm256_set1_epi8(-128 + 26), shifted);
    d = _mm256_andnot_si256(_mm256_and_si256(letter, _mm256_set1_epi8(0x20)), d);
  }
  return d;
}

// The lanes that stop the comparison in one 16-byte block, where a page end leaves no room for a
// wide one.
template <bool folded>
TANSEL_AVX2 __attribute__((no_sanitize("address"))) inline uint32_t NarrowStops(
    const unsigned char* a, const unsigned char* b) {
  __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
  __m128i d = _mm_xor_si128(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)));
  if constexpr (folded) {
    __m128i shifted = _mm_add_epi8(_mm_or_si128(x, _mm_set1_epi8(0x20)),
                                   _mm_set1_epi8(static_cast<char>(0x80 - 'a')));
    __m128i letter = _mm_cmpgt_epi8(_mm_set1_epi8(-128 + 26), shifted);
    d = _mm_andnot_si128(_mm_and_si128(letter, _mm_set1_epi8(0x20)), d);
  }
  __m128i stops = _mm_or_si128(d, _mm_cmpeq_epi8(x, _mm_setzero_si128()));
  return ~static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(stops, _mm_setzero_si128()))) &
         0xFFFFu;
}

// The AVX2 blocks for the shared loop.
template <bool folded>
struct WideBlocks {
  static constexpr size_t kWidth = kWide;
  // The block in a register: the compiler would otherwise read a's block twice, once per use.
  TANSEL_AVX2 static __m256i Load(const unsigned char* p) {
    __m256i v = LoadWide(p);
    __asm__("" : "+x"(v));
    return v;
  }
  TANSEL_AVX2 static __m256i Kept(__m256i x, __m256i y) {
    __m256i equal = folded ? _mm256_cmpeq_epi8(WideDifferences<true>(x, y), _mm256_setzero_si256())
                           : _mm256_cmpeq_epi8(x, y);
    return _mm256_and_si256(equal, x);
  }
  TANSEL_AVX2 static __m256i Min(__m256i x, __m256i y) { return _mm256_min_epu8(x, y); }
  TANSEL_AVX2 static bool HasZero(__m256i v) { return ZeroLanes(v) != 0; }
  TANSEL_AVX2 static uint32_t Stops(__m256i x, __m256i y) { return ZeroLanes(Kept(x, y)); }
  TANSEL_AVX2 static size_t FirstZero(__m256i k0, __m256i k1, __m256i k2, __m256i k3) {
    uint64_t low = ZeroLanes(k0) | static_cast<uint64_t>(ZeroLanes(k1)) << 32;
    if (low != 0) return static_cast<size_t>(std::countr_zero(low));
    uint64_t high = ZeroLanes(k2) | static_cast<uint64_t>(ZeroLanes(k3)) << 32;
    return 2 * kWide + static_cast<size_t>(std::countr_zero(high));
  }
  TANSEL_AVX2 static uint32_t ZeroLanes(__m256i v) {
    return static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
  }
  static bool Any(uint32_t m) { return m != 0; }
  static size_t First(uint32_t m) { return static_cast<size_t>(std::countr_zero(m)); }
  // The wide block that ends where the room does, its lanes before a and b masked off (they hold
  // bytes already compared, inside both strings); where that block would start before the strings
  // or in the page before, a 16-byte block.
  TANSEL_AVX2 static bool Tail(const unsigned char* a, const unsigned char* b, size_t before,
                               size_t room, size_t* step) {
    uint32_t stops;
    size_t back = kWide - room;
    if (before >= back && PageRest(a - back) >= kWide && PageRest(b - back) >= kWide) {
      stops = Stops(LoadWide(a - back), LoadWide(b - back)) >> back;
      *step = room;
    } else if (room >= kNarrow) {
      stops = NarrowStops<folded>(a, b);
      *step = kNarrow;
    } else {
      return false;
    }
    if (stops == 0) return false;
    *step = static_cast<size_t>(std::countr_zero(stops));
    return true;
  }
  static unsigned char Map(unsigned char c) { return Mapped(folded, c); }
};

// The unbounded comparison: the first block on its own, then blocks from the first block boundary
// of a, which therefore never straddle a's page end: four at a time while both pages hold them,
// else one. Where b's next block would cross b's page end, the block that ends there goes first
// (its first lanes compared before); when it shows both strings going on, b's next page holds
// their next bytes, and the crossing block is read whole. Only where that block would start
// before the strings does the shared loop take over.
//
// It starts on a cache line, and a short string's road (the first block, then the stop) runs
// straight through: linked where it fell, the 16-byte comparison ran from 1.0 to 1.6 times strcmp.
template <bool folded>
TANSEL_AVX2 __attribute__((aligned(64), no_sanitize("address"))) int CompareWide(const char* sa,
                                                                                 const char* sb) {
  using Blocks = WideBlocks<folded>;
  auto* a = reinterpret_cast<const unsigned char*>(sa);
  auto* b = reinterpret_cast<const unsigned char*>(sb);
  // Both pages hold a block when the larger of the two offsets in their pages leaves room for one;
  // their bitwise or is at least that large, and cheaper to find. Where it is larger, the offsets
  // themselves decide.
  if (((reinterpret_cast<uintptr_t>(a) | reinterpret_cast<uintptr_t>(b)) & (kPage - 1)) >
          kPage - kWide &&
      std::min(PageRest(a), PageRest(b)) < kWide) [[unlikely]] {
    return CompareBlocksFrom<Blocks>(sa, sb, INT64_MAX, 0);
  }
  size_t i;
  uint32_t stops = Blocks::Stops(Blocks::Load(a), Blocks::Load(b));
  if (stops != 0) [[likely]] {
    i = static_cast<uint32_t>(std::countr_zero(stops));
  } else {
    i = kWide - (reinterpret_cast<uintptr_t>(a) & (kWide - 1));
    for (;;) {
      // a + i is a block boundary, so a's room is a whole number of blocks.
      size_t room = std::min(PageRest(a + i), PageRest(b + i));
      for (; room >= 4 * kWide; room -= 4 * kWide, i += 4 * kWide) {
        auto k0 = Blocks::Kept(Blocks::Load(a + i), Blocks::Load(b + i));
        auto k1 = Blocks::Kept(Blocks::Load(a + i + kWide), Blocks::Load(b + i + kWide));
        auto k2 = Blocks::Kept(Blocks::Load(a + i + 2 * kWide), Blocks::Load(b + i + 2 * kWide));
        auto k3 = Blocks::Kept(Blocks::Load(a + i + 3 * kWide), Blocks::Load(b + i + 3 * kWide));
        if (Blocks::HasZero(Blocks::Min(Blocks::Min(k0, k1), Blocks::Min(k2, k3)))) {
          i += Blocks::FirstZero(k0, k1, k2, k3);
          goto stopped;
        }
      }
      for (; room >= kWide; room -= kWide, i += kWide) {
        stops = Blocks::Stops(Blocks::Load(a + i), Blocks::Load(b + i));
        if (stops != 0) {
          i += static_cast<size_t>(std::countr_zero(stops));
          goto stopped;
        }
      }
      if (room == 0) continue;  // a's page end: measure again
      // b's page ends room bytes on (a's holds at least a block more).
      if (i + room < kWide) return CompareBlocksFrom<Blocks>(sa, sb, INT64_MAX, i);
      size_t back = kWide - room;
      stops = Blocks::Stops(Blocks::Load(a + i - back), Blocks::Load(b + i - back)) >> back;
      if (stops == 0) stops = Blocks::Stops(Blocks::Load(a + i), Blocks::Load(b + i));
      if (stops != 0) {
        i += static_cast<size_t>(std::countr_zero(stops));
        goto stopped;
      }
      i += kWide;
    }
  }
stopped:
  // a[i] and b[i] stop the comparison, or are equal under the mapping only (folded): exact bytes
  // stop only where they differ or both end.
  int d = Blocks::Map(a[i]) - Blocks::Map(b[i]);
  if (!folded || d != 0 || a[i] == 0) return d;
  return CompareBlocksFrom<Blocks>(sa, sb, INT64_MAX, i + 1);
}

constexpr ByteCompareCode kAvx2Code = {CompareWide<false>, CompareBlocks<WideBlocks<false>>,
                                       CompareWide<true>, CompareBlocks<WideBlocks<true>>};

}  // namespace

const ByteCompareCode* Avx2ByteCompareCode() {
  return &kAvx2Code;
}
