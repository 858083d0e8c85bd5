// The byte-string comparisons in 32-byte blocks, for processors with AVX2. Only this file's
// functions carry the AVX2 target, so the library still runs on any x64 machine: the caller runs
// them only where the processor has it.
//
// The page-end rule is the baseline's: a block is read only where it ends in the page it starts
// in. Near a page end the wide block that ends
// there is read, its first lanes repeating bytes already compared; where that block would start
// before the string or in the page before, a 16-byte block is tried, then single bytes.
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "strings/byte_blocks_internal.h"
#include "strings/byte_compare_internal.h"
#include "strings/byte_string_internal.h"

#define TANSEL_AVX2 __attribute__((target("avx2")))

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

// One bit per lane that stops the comparison: a difference, or a's terminator.
template <bool folded>
TANSEL_AVX2 inline uint32_t WideStops(__m256i x, __m256i y) {
  __m256i stops =
      _mm256_or_si256(WideDifferences<folded>(x, y), _mm256_cmpeq_epi8(x, _mm256_setzero_si256()));
  return ~static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(stops, _mm256_setzero_si256())));
}

// WideStops for one 16-byte block, where a page end leaves no room for a wide one.
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

// The baseline's CompareMapped in wide blocks: at most bound bytes, a terminator ending the
// comparison only where both strings share it.
template <bool folded>
TANSEL_AVX2 __attribute__((no_sanitize("address"))) int CompareWide(const char* sa, const char* sb,
                                                                    int64_t bound) {
  if (bound <= 0) return 0;
  auto* a = reinterpret_cast<const unsigned char*>(sa);
  auto* b = reinterpret_cast<const unsigned char*>(sb);
  size_t n = static_cast<size_t>(bound);
  size_t i = 0;
  for (;;) {
    // Bytes from i that both pages and the bound hold.
    size_t room = std::min(std::min(PageRest(a + i), PageRest(b + i)), n - i);
    if (room >= kWide) {
      size_t end = i + room;
      // Most strings end or differ in their first block: it goes first, on its own.
      uint32_t stops = WideStops<folded>(LoadWide(a + i), LoadWide(b + i));
      if (stops == 0) {
        i += kWide;
        // Four blocks tested together cross long equal stretches; where they find a stop, the
        // blocks before `tested` are then taken one at a time without testing them together again.
        size_t tested = i;
        for (;;) {
          if (i >= tested && end - i >= 4 * kWide) {
            __m256i x0 = LoadWide(a + i), x1 = LoadWide(a + i + kWide);
            __m256i x2 = LoadWide(a + i + 2 * kWide), x3 = LoadWide(a + i + 3 * kWide);
            __m256i d = _mm256_or_si256(
                _mm256_or_si256(WideDifferences<folded>(x0, LoadWide(b + i)),
                                WideDifferences<folded>(x1, LoadWide(b + i + kWide))),
                _mm256_or_si256(WideDifferences<folded>(x2, LoadWide(b + i + 2 * kWide)),
                                WideDifferences<folded>(x3, LoadWide(b + i + 3 * kWide))));
            __m256i low = _mm256_min_epu8(_mm256_min_epu8(x0, x1), _mm256_min_epu8(x2, x3));
            __m256i any = _mm256_or_si256(d, _mm256_cmpeq_epi8(low, _mm256_setzero_si256()));
            if (_mm256_testz_si256(any, any)) {
              i += 4 * kWide;
              continue;
            }
            tested = i + 4 * kWide;
          }
          if (end - i < kWide) break;
          stops = WideStops<folded>(LoadWide(a + i), LoadWide(b + i));
          if (stops != 0) break;
          i += kWide;
        }
      }
      if (stops == 0) continue;  // the room is used up: measure it again
      i += static_cast<size_t>(std::countr_zero(stops));
    } else if (room > 0 && i >= kWide - room && PageRest(a + i - (kWide - room)) >= kWide &&
               PageRest(b + i - (kWide - room)) >= kWide) {
      // The wide block that ends where the room does: its lanes before i hold bytes already
      // compared, inside both strings, and are masked off (the vector test may stop at bytes the
      // table found equal).
      size_t before = kWide - room;
      uint32_t stops =
          WideStops<folded>(LoadWide(a + i - before), LoadWide(b + i - before)) >> before;
      if (stops == 0) {
        i += room;
        continue;
      }
      i += static_cast<size_t>(std::countr_zero(stops));
    } else if (room >= kNarrow) {
      uint32_t stops = NarrowStops<folded>(a + i, b + i);
      if (stops == 0) {
        i += kNarrow;
        continue;
      }
      i += static_cast<size_t>(std::countr_zero(stops));
    } else if (i >= n) {
      return 0;
    }
    // a[i] and b[i] are there: at a stopping lane, or a single step near a page end or the bound.
    int d = Mapped(folded, a[i]) - Mapped(folded, b[i]);
    if (d != 0 || a[i] == 0) return d;
    ++i;
  }
}

constexpr int64_t kWhole = INT64_MAX;

// Without a bound, with the first block looked at before the loop is entered: most strings end or
// differ there, and this spares short ones the loop's set-up.
template <bool folded>
TANSEL_AVX2 __attribute__((no_sanitize("address"))) int CompareWideWhole(const char* sa,
                                                                         const char* sb) {
  auto* a = reinterpret_cast<const unsigned char*>(sa);
  auto* b = reinterpret_cast<const unsigned char*>(sb);
  if (PageRest(a) >= kWide && PageRest(b) >= kWide) {
    uint32_t stops = WideStops<folded>(LoadWide(a), LoadWide(b));
    if (stops != 0) {
      size_t k = static_cast<size_t>(std::countr_zero(stops));
      int d = Mapped(folded, a[k]) - Mapped(folded, b[k]);
      if (d != 0 || a[k] == 0) return d;
    }
  }
  return CompareWide<folded>(sa, sb, kWhole);
}

constexpr ByteCompareCode kAvx2Code = {CompareWideWhole<false>, CompareWide<false>,
                                       CompareWideWhole<true>, CompareWide<true>};

}  // namespace

const ByteCompareCode* Avx2ByteCompareCode() {
  return &kAvx2Code;
}
