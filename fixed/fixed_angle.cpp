// Normalisation of Fixed angles (degrees) into one turn. The sums are formed in uint32_t: the exact
// result lies in the target interval, so arithmetic modulo 2^32 lands on it whenever it fits.
#include <cstdint>

#include "fixed/fixed.h"
#include "strings/memory.h"

namespace {
constexpr uint32_t kTurn = static_cast<uint32_t>(FullTurn);
}  // namespace

void AngleNormalize(Fixed* angle) {
  if (angle == nullptr) MemBailOut();
  AngleNormalizeFrom(angle, 0);
}

void AngleNormalizeFrom(Fixed* angle, Fixed base) {
  if (angle == nullptr) MemBailOut();
  uint32_t a = static_cast<uint32_t>(*angle), b = static_cast<uint32_t>(base);
  if (*angle < base) {
    uint32_t turns = (b - a - 1) / kTurn + 1;  // b - a is the exact distance, below 2^32
    a += turns * kTurn;
  } else if (a - b >= kTurn) {
    a -= (a - b) / kTurn * kTurn;
  }
  *angle = static_cast<Fixed>(a);
}
