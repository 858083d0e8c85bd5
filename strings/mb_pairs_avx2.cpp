// Passing back over runs of double-byte characters in 32-byte blocks, for processors with AVX2.
// Only this file's functions carry the AVX2 target; the caller runs them only where the processor
// has it.
#include <immintrin.h>

#include <cstddef>

#include "strings/mb_pairs_internal.h"

#define TANSEL_AVX2 __attribute__((target("avx2")))

namespace {

typedef long long WideAnyAddress __attribute__((vector_size(32), aligned(1), may_alias));

TANSEL_AVX2 inline __m256i LoadWide(const char* p) {
  return reinterpret_cast<__m256i>(*reinterpret_cast<const WideAnyAddress*>(p));
}

// Lanes of x outside both ranges come out non-zero: each range's distance above its first byte,
// less its span, saturates to zero inside it.
TANSEL_AVX2 inline __m256i Outside(__m256i x, __m256i first0, __m256i span0, __m256i first1,
                                   __m256i span1) {
  return _mm256_min_epu8(_mm256_subs_epu8(_mm256_sub_epi8(x, first0), span0),
                         _mm256_subs_epu8(_mm256_sub_epi8(x, first1), span1));
}

TANSEL_AVX2 bool AllZero(__m256i v) {
  return _mm256_testz_si256(v, v) != 0;
}

TANSEL_AVX2 const char* BackOverPairBytesWide(const PairRanges& r, const char* start,
                                              const char* q) {
  const __m256i first0 = _mm256_set1_epi8(static_cast<char>(r.first[0]));
  const __m256i span0 = _mm256_set1_epi8(static_cast<char>(r.last[0] - r.first[0]));
  if (r.count == 1) {
    // One range: every byte's distance above its first byte is at most the span.
    while (q - start >= 256) {
      const char* b = q - 256;
      __m256i d[8];
      for (int k = 0; k < 8; ++k) d[k] = _mm256_sub_epi8(LoadWide(b + 32 * k), first0);
      // A tree of maxima, not a chain: the blocks are taken in parallel.
      __m256i most = _mm256_max_epu8(
          _mm256_max_epu8(_mm256_max_epu8(d[0], d[1]), _mm256_max_epu8(d[2], d[3])),
          _mm256_max_epu8(_mm256_max_epu8(d[4], d[5]), _mm256_max_epu8(d[6], d[7])));
      if (!AllZero(_mm256_subs_epu8(most, span0))) break;
      q = b;
    }
  } else {
    const __m256i first1 = _mm256_set1_epi8(static_cast<char>(r.first[1]));
    const __m256i span1 = _mm256_set1_epi8(static_cast<char>(r.last[1] - r.first[1]));
    while (q - start >= 128) {
      const char* b = q - 128;
      __m256i out =
          _mm256_or_si256(_mm256_or_si256(Outside(LoadWide(b), first0, span0, first1, span1),
                                          Outside(LoadWide(b + 32), first0, span0, first1, span1)),
                          _mm256_or_si256(Outside(LoadWide(b + 64), first0, span0, first1, span1),
                                          Outside(LoadWide(b + 96), first0, span0, first1, span1)));
      if (!AllZero(out)) break;
      q = b;
    }
  }
  while (q - start >= 32) {
    __m256i x = LoadWide(q - 32);
    __m256i out = r.count == 1
                      ? _mm256_subs_epu8(_mm256_sub_epi8(x, first0), span0)
                      : Outside(x, first0, span0, _mm256_set1_epi8(static_cast<char>(r.first[1])),
                                _mm256_set1_epi8(static_cast<char>(r.last[1] - r.first[1])));
    if (!AllZero(out)) break;
    q -= 32;
  }
  return q;
}

}  // namespace

PairBlocksBack* Avx2PairBlocksBack() {
  return BackOverPairBytesWide;
}
