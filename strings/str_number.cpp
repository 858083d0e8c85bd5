// Byte strings: decimal numbers read through the C run-time's conversions.
#include <climits>
#include <cstdlib>

#include "strings/byte_string.h"

int StrToInt(const char* s) {
  if (s == nullptr) return 0;
  // strtoll saturates where atoi's overflow is undefined; clamp the rest into int.
  long long value = std::strtoll(s, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int64_t StrToInt64(const char* s) {
  return s == nullptr ? 0 : std::strtoll(s, nullptr, 10);
}

double StrToDouble(const char* s) {
  return s == nullptr ? 0.0 : std::strtod(s, nullptr);
}
