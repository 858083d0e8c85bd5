// Multiplication, squaring and scaling of 16.16 numbers. All arithmetic is done on unsigned
// magnitudes so that wrapping is defined and -2147483648 needs no special case.
#include <cstdint>

#include "fixed/fixed.h"
#include "strings/memory.h"

namespace {

uint32_t Magnitude(int32_t value) {
  return value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
}

int32_t Signed(uint32_t magnitude, bool negative) {
  return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

// (a × b) >> 16 modulo 2^32 from 16-bit halves; exact because only the lowest partial product
// carries bits below the point.
uint32_t ProductShifted(uint32_t a, uint32_t b) {
  uint32_t ah = a >> 16, al = a & 0xFFFF;
  uint32_t bh = b >> 16, bl = b & 0xFFFF;
  return ((ah * bh) << 16) + ah * bl + al * bh + ((al * bl) >> 16);
}

constexpr uint32_t kHalfRange = 0x8000;  // 32768: the split of FixedMulDiv's partial products

}  // namespace

Fixed FixedMul(Fixed a, Fixed b) {
  return Signed(ProductShifted(Magnitude(a), Magnitude(b)), (a < 0) != (b < 0));
}

Fixed FixedSquare(Fixed a) {
  uint32_t m = Magnitude(a);
  return static_cast<Fixed>(ProductShifted(m, m));
}

int32_t FixedMulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) MemBailOut();
  bool negative = ((a < 0) + (b < 0) + (c < 0)) % 2 == 1;
  uint32_t ua = Magnitude(a), ub = Magnitude(b), uc = Magnitude(c);
  uint32_t saturated = negative ? 0x80000000u : 0x7FFFFFFFu;

  // Halving together keeps b / c roughly and bounds the partial products below 2^32.
  while (ub > 0x10000 || uc > 0x10000) {
    ub >>= 1;
    uc >>= 1;
  }
  // A divisor halved away means b / c exceeded 65536 by far: the scale is out of reach.
  if (uc == 0) return (a == 0 || b == 0) ? 0 : Signed(saturated, negative);

  // a × b = high × 32768 + low with high = ah × b + (al × b) div 32768. It needs 33 bits only for
  // 2147483648 × 65536, whose quotient by at most 65536 cannot fit either.
  uint32_t ah = ua / kHalfRange, al = ua % kHalfRange;
  if (ah == 0x10000 && ub == 0x10000) return Signed(saturated, negative);
  uint32_t high = ah * ub + (al * ub) / kHalfRange;
  uint32_t low = (al * ub) % kHalfRange;
  uint32_t q1 = high / uc, r = high % uc;
  // q1 × 32768 + q2 with q2 < 32768 stays below 2^31 while q1 < 65536.
  if (q1 >= 0x10000) return Signed(saturated, negative);
  uint32_t q2 = (r * kHalfRange + low) / uc;
  return Signed(q1 * kHalfRange + q2, negative);
}
