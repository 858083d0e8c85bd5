// Conversions between Fixed and double, and the closeness test.
#include <cstdint>

#include "fixed/fixed.h"

Fixed FixedFromDouble(double x) {
  double scaled = x * 65536.0;
  // The host's conversion yields the "integer indefinite" value for anything it cannot hold;
  // checking first keeps the cast defined (NaN fails both comparisons).
  if (!(scaled > -2147483649.0 && scaled < 2147483648.0)) return INT32_MIN;
  return static_cast<Fixed>(scaled);
}

double DoubleFromFixed(Fixed a) {
  // Single precision on purpose: the host computes this way, and stored values must round-trip
  // to the same doubles (16777217 reads as 256.0).
  float value = static_cast<float>(a);
  value *= 1.0f / 65536.0f;
  return static_cast<double>(value);
}

int FixedNear(Fixed a, Fixed b) {
  // Larger minus smaller is never negative, so the unsigned difference is exact even for values
  // 2^31 or more apart.
  uint32_t difference = a > b ? static_cast<uint32_t>(a) - static_cast<uint32_t>(b)
                              : static_cast<uint32_t>(b) - static_cast<uint32_t>(a);
  return difference < 16 ? 1 : 0;
}
