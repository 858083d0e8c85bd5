// Fixed-point operations against exact 64- and 128-bit integer arithmetic on seeded random
// operands: uniform 32-bit values, small values, values near powers of two, and the extremes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "fixed/fixed.h"

namespace {

constexpr int kRounds = 300000;
constexpr uint64_t kSeed = 0x7A45E1;

class Operands {
 public:
  explicit Operands(uint64_t seed) : rng_(seed) {}

  int32_t Next() {
    switch (rng_() % 5) {
      case 0:
      case 1:
        return static_cast<int32_t>(static_cast<uint32_t>(rng_()));
      case 2: {  // small integers and small fixed values
        int32_t small = static_cast<int32_t>(rng_() % 4001) - 2000;
        return rng_() % 2 ? small : small * 0x100;
      }
      case 3: {  // ±(2^k + d)
        int64_t value = (int64_t{1} << (rng_() % 32)) + static_cast<int64_t>(rng_() % 7) - 3;
        if (rng_() % 2) value = -value;
        return static_cast<int32_t>(static_cast<uint32_t>(value));
      }
      default: {
        static constexpr int32_t kEdges[] = {
            INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX - 1, 0,          1,        -1,
            0x10000,   -0x10000,      0xFFFF,    0x10001,       0x7FFF0000, FullTurn, -FullTurn};
        return kEdges[rng_() % std::size(kEdges)];
      }
    }
  }

 private:
  std::mt19937_64 rng_;
};

uint64_t Magnitude(int32_t v) {
  return v < 0 ? uint64_t{0} - int64_t{v} : uint64_t(v);
}

int32_t Wrap(int64_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

int32_t Saturate(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

// The truncated quotient of a × 65536 by b, saturated.
int32_t ExactDiv(int32_t a, int32_t b) {
  return Saturate(int64_t{a} * 65536 / b);
}

uint64_t Isqrt(uint64_t n) {
  uint64_t lo = 0, hi = uint64_t{1} << 32;  // invariant: lo² ≤ n < hi²
  while (hi - lo > 1) {
    uint64_t mid = lo + (hi - lo) / 2;
    (mid * mid <= n ? lo : hi) = mid;
  }
  return lo;
}

int64_t Mod(int64_t a, int64_t m) {
  return ((a % m) + m) % m;
}

}  // namespace

TEST(FixedDifferential, MultiplyAndSquare) {
  Operands ops(kSeed);
  for (int i = 0; i < kRounds; ++i) {
    int32_t a = ops.Next(), b = ops.Next();
    uint64_t p = (Magnitude(a) * Magnitude(b)) >> 16;
    int64_t expected = ((a < 0) != (b < 0)) ? -static_cast<int64_t>(p) : static_cast<int64_t>(p);
    ASSERT_EQ(FixedMul(a, b), Wrap(expected)) << a << " * " << b;
    ASSERT_EQ(FixedSquare(a), Wrap((Magnitude(a) * Magnitude(a)) >> 16)) << a;
  }
}

TEST(FixedDifferential, Divide) {
  Operands ops(kSeed + 1);
  for (int i = 0; i < kRounds; ++i) {
    int32_t a = ops.Next(), b = ops.Next();
    if (b == 0) continue;
    ASSERT_EQ(FixedDiv(a, b), ExactDiv(a, b)) << a << " / " << b;
  }
}

TEST(FixedDifferential, Ratio) {
  Operands ops(kSeed + 2);
  for (int i = 0; i < kRounds; ++i) {
    int32_t a = ops.Next(), b = ops.Next();
    int32_t shiftedA = Wrap(int64_t{a} * 65536), shiftedB = Wrap(int64_t{b} * 65536);
    if (shiftedB == 0) continue;
    ASSERT_EQ(FixedRatio(a, b), ExactDiv(shiftedA, shiftedB)) << a << " : " << b;
    if (a > -32768 && a < 32768 && b > -32768 && b < 32768) {
      ASSERT_EQ(FixedRatio(a, b), Saturate(int64_t{a} * 65536 / b));
    }
  }
}

// Without halving the result is a × b / c truncated, saturated when it does not fit. With s
// halvings, b' = |b| >> s and c' = |c| >> s, so b' / (c' + 1) < |b / c| < (b' + 1) / c', and the
// magnitude r that the algorithm returns, floor(|a| × b' / c'), satisfies
//   r × |c| × c' < |a × b| × (c' + 1)   and   (r + 1) × (b' + 1) × |c| > |a × b| × b'.
TEST(FixedDifferential, MulDiv) {
  typedef unsigned __int128 u128;
  Operands ops(kSeed + 3);
  int halved = 0, exact = 0;
  for (int i = 0; i < kRounds; ++i) {
    int32_t a = ops.Next(), b = ops.Next(), c = ops.Next();
    if (c == 0) continue;
    SCOPED_TRACE(testing::Message() << a << " * " << b << " / " << c);
    bool negative = ((a < 0) + (b < 0) + (c < 0)) % 2 == 1;
    uint64_t ua = Magnitude(a), ub = Magnitude(b), uc = Magnitude(c);
    int32_t result = FixedMulDiv(a, b, c);
    int32_t saturated = negative ? INT32_MIN : INT32_MAX;
    uint64_t limit = negative ? uint64_t{1} << 31 : INT32_MAX;
    if (ub <= 0x10000 && uc <= 0x10000) {
      ++exact;
      uint64_t q = ua * ub / uc;
      ASSERT_EQ(result, q > limit ? saturated : Wrap(negative ? -int64_t(q) : int64_t(q)));
      continue;
    }
    ++halved;
    uint64_t hb = ub, hc = uc;
    while (hb > 0x10000 || hc > 0x10000) hb >>= 1, hc >>= 1;
    if (ua == 0 || ub == 0) {
      ASSERT_EQ(result, 0);
    } else if (hc == 0 || ua * hb / hc > limit) {
      ASSERT_EQ(result, saturated);
    } else {
      ASSERT_EQ(result == 0 || (result < 0) == negative, true);
      u128 r = Magnitude(result), product = u128{ua} * ub;
      ASSERT_TRUE(r * uc * hc < product * (hc + 1));
      ASSERT_TRUE((r + 1) * (hb + 1) * uc > product * hb);
    }
  }
  EXPECT_GT(halved, kRounds / 4);
  EXPECT_GT(exact, kRounds / 20);
}

// Newton from above stops once a step moves at most 16; the step after that is within 3 of the
// true root from above (the midpoint never falls below it, and is at most 34² / 2x past it).
TEST(FixedDifferential, SquareRoot) {
  Operands ops(kSeed + 4);
  for (int i = 0; i < kRounds; ++i) {
    int32_t a = ops.Next();
    if (a < 0) a = a == INT32_MIN ? 0 : -a;
    uint64_t root = Isqrt(uint64_t(a) * 65536);
    int64_t got = FixedSqrt(a);
    ASSERT_GE(got, int64_t(root)) << a;
    ASSERT_LE(got, int64_t(root) + 3) << a;
  }
}

TEST(FixedDifferential, Angles) {
  Operands ops(kSeed + 5);
  for (int i = 0; i < kRounds; ++i) {
    int32_t a = ops.Next(), base = ops.Next();
    Fixed angle = a;
    AngleNormalize(&angle);
    ASSERT_EQ(angle, Mod(a, FullTurn)) << a;
    angle = a;
    AngleNormalizeFrom(&angle, base);
    // The congruent value in [base, base + FullTurn), taken modulo 2^32 when it passes INT32_MAX.
    ASSERT_EQ(angle, Wrap(base + Mod(int64_t{a} - base, FullTurn))) << a << " from " << base;
  }
}

TEST(FixedDifferential, ToDoubleRoundsToNearestEvenIn24Bits) {
  Operands ops(kSeed + 6);
  for (int i = 0; i < kRounds; ++i) {
    int32_t a = ops.Next();
    uint64_t m = Magnitude(a);
    int shift = 0;
    while ((m >> shift) >= (uint64_t{1} << 24)) ++shift;
    uint64_t kept = m >> shift, dropped = m & ((uint64_t{1} << shift) - 1);
    uint64_t half = shift ? uint64_t{1} << (shift - 1) : 1;
    if (shift && (dropped > half || (dropped == half && (kept & 1)))) ++kept;
    double expected = double(kept << shift) / 65536.0;
    ASSERT_EQ(DoubleFromFixed(a), a < 0 ? -expected : expected) << a;
  }
}
