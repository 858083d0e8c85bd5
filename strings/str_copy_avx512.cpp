// The copy and the measuring pass over runs of double-byte characters in 64-byte blocks, for
// processors with AVX-512 byte instructions; everything else on this path is the AVX2 path's.
// Only this file's functions carry the AVX-512 target: the caller runs them only where the
// processor has it.
#include <immintrin.h>

#include <cstddef>

#include "strings/byte_blocks_internal.h"
#include "strings/byte_copy_internal.h"

#define TANSEL_AVX512 __attribute__((target("avx512bw")))
#define TANSEL_COPY_TARGET TANSEL_AVX512
#include "strings/byte_copy_loop_internal.h"
#include "strings/byte_copy_wide_internal.h"

namespace {

typedef long long WiderAnyAddress __attribute__((vector_size(64), aligned(1), may_alias));

// Four 64-byte blocks at a time, tested as the AVX2 path tests its eight: through their smallest
// byte below the range's first (a terminator included) or their largest above its last.
struct WiderRunTest {
  typedef __m512i Vector;
  static constexpr size_t kBlocks = 4;
  static constexpr size_t kWidth = 64;
  __m512i first, last;

  TANSEL_AVX512 explicit WiderRunTest(const PairRanges& r)
      : first(_mm512_set1_epi8(static_cast<char>(r.first[0]))),
        last(_mm512_set1_epi8(static_cast<char>(r.last[0]))) {}

  // Like Load, may cover bytes past the terminator inside the same page.
  TANSEL_AVX512 __attribute__((no_sanitize("address"))) static __m512i Load(const char* p) {
    return reinterpret_cast<__m512i>(*reinterpret_cast<const WiderAnyAddress*>(p));
  }
  TANSEL_AVX512 static void Store(char* p, __m512i v) {
    *reinterpret_cast<WiderAnyAddress*>(p) = reinterpret_cast<WiderAnyAddress>(v);
  }

  TANSEL_AVX512 bool Take(const char* p, size_t i, WideRunTrack& track, __m512i x[kBlocks]) const {
    for (size_t k = 0; k < kBlocks; ++k) x[k] = Load(p + k * kWidth);
    __m512i least = _mm512_min_epu8(_mm512_min_epu8(x[0], x[1]), _mm512_min_epu8(x[2], x[3]));
    __m512i most = _mm512_max_epu8(_mm512_max_epu8(x[0], x[1]), _mm512_max_epu8(x[2], x[3]));
    if ((_mm512_cmplt_epu8_mask(least, first) | _mm512_cmpgt_epu8_mask(most, last)) == 0) {
      return true;
    }
    if (_mm512_test_epi8_mask(least, least) != ~__mmask64{0}) return false;  // a zero lane
    track.run = i + kBlocks * kWidth;
    return true;
  }
};

}  // namespace

const ByteCopyCode* Avx512ByteCopyCode() {
  const ByteCopyCode* wide = Avx2ByteCopyCode();
  static const ByteCopyCode code = {wide->copy, wide->length, CopyNotingRunIn<WiderRunTest>,
                                    LengthNotingRunIn<WiderRunTest>};
  return &code;
}
