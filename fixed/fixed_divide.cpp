// Division of 16.16 numbers by shift-and-subtract, the integer ratio, and the square root.
#include <cmath>
#include <cstdint>

#include "fixed/fixed.h"
#include "strings/memory.h"

namespace {

uint32_t Magnitude(int32_t value) {
  return value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
}

}  // namespace

Fixed FixedDiv(Fixed a, Fixed b) {
  if (b == 0) MemBailOut();
  if (b == 0x10000) return a;
  if ((b & 0xFFFF) == 0) {
    int32_t whole = b / 0x10000;
    if (a == INT32_MIN && whole == -1) return INT32_MAX;  // 32768.0 does not fit
    return a / whole;
  }

  bool negative = (a < 0) != (b < 0);
  uint32_t ua = Magnitude(a), ub = Magnitude(b);
  uint32_t weight = 0x10000, quotient = 0;
  // Align the divisor under the dividend; a weight shifted out means the quotient is 2^32 or more.
  while (ub < ua && (ub & 0x80000000u) == 0) {
    ub <<= 1;
    weight <<= 1;
  }
  if (weight == 0) return negative ? INT32_MIN : INT32_MAX;
  if (ub & 0x80000000u) {
    // One step with the divisor halved instead, so that doubling the remainder cannot overflow.
    if (ua >= ub) {
      quotient |= weight;
      ua -= ub;
    }
    ub >>= 1;
    weight >>= 1;
  }
  while (ua != 0 && weight != 0) {
    if (ua >= ub) {
      quotient |= weight;
      ua -= ub;
    }
    weight >>= 1;
    ua <<= 1;
  }
  // The quotient is at most the aligned weight, 2^31: that one only fits with a minus sign.
  if (!negative && quotient > 0x7FFFFFFFu) return INT32_MAX;
  return static_cast<Fixed>(negative ? 0u - quotient : quotient);
}

Fixed FixedRatio(int32_t a, int32_t b) {
  return FixedDiv(static_cast<Fixed>(static_cast<uint32_t>(a) << 16),
                  static_cast<Fixed>(static_cast<uint32_t>(b) << 16));
}

Fixed FixedSqrt(Fixed a) {
  if (a < 0) MemBailOut();
  if (a == 0) return 0;
  // Newton from above; x never reaches 0 because a quotient by a tiny x is huge.
  Fixed x = a;
  for (int step = 0; step < 50; ++step) {
    Fixed q = FixedDiv(a, x);
    // Both terms are non-negative, so their sum fits in 32 unsigned bits.
    Fixed y = static_cast<Fixed>((static_cast<uint32_t>(x) + static_cast<uint32_t>(q)) >> 1);
    int64_t change = static_cast<int64_t>(x) - y;
    if (change >= -16 && change <= 16) return y;
    x = y;
  }
  return FixedFromDouble(std::sqrt(DoubleFromFixed(a)));
}
