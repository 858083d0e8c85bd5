// Fixed-point values worth pinning: the documented examples, the extremes where 32-bit arithmetic
// overflows, and the operations that must bail out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "fixed/fixed.h"
#include "tests/support/fault_injection.h"

namespace {

constexpr Fixed kMin = INT32_MIN;
constexpr Fixed kMax = INT32_MAX;

struct BinaryRow {
  int line;
  Fixed a, b;
  Fixed expected;
};

struct UnaryRow {
  int line;
  Fixed a;
  Fixed expected;
};

}  // namespace

TEST(FixedValues, FromDouble) {
  struct Row {
    int line;
    double x;
    Fixed expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Row rows[] = {
      {__LINE__, 72.0, 4718592},
      {__LINE__, -1.5, -98304},
      {__LINE__, 0.99999, 65535},
      {__LINE__, -0.99999, -65535},
      {__LINE__, 1e-9, 0},
      {__LINE__, -1e-9, 0},
      {__LINE__, -0.0, 0},
      {__LINE__, 32767.99999, kMax},
      {__LINE__, -32768.0, kMin},
      {__LINE__, -32768.0000152, kMin},  // below the range but truncates onto it
      {__LINE__, 32768.0, kMin},         // first value out of range
      {__LINE__, -32768.0001, kMin},
      {__LINE__, 1e300, kMin},
      {__LINE__, -1e300, kMin},
      {__LINE__, inf, kMin},
      {__LINE__, -inf, kMin},
      {__LINE__, nan, kMin},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(FixedFromDouble(row.x), row.expected);
  }
}

TEST(FixedValues, ToDoubleGoesThroughSinglePrecision) {
  struct Row {
    int line;
    Fixed a;
    double expected;
  };
  const Row rows[] = {
      {__LINE__, 65536, 1.0},
      {__LINE__, 16777217, 256.0},               // not 256.0000153: 2^24 + 1 has no float
      {__LINE__, 16777219, 256.00006103515625},  // ties go to the even significand
      {__LINE__, 1, 1.0 / 65536},
      {__LINE__, -98304, -1.5},
      {__LINE__, kMax, 32768.0},
      {__LINE__, kMin, -32768.0},
      {__LINE__, 0, 0.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(DoubleFromFixed(row.a), row.expected);
  }
}

TEST(FixedValues, Multiply) {
  const BinaryRow rows[] = {
      {__LINE__, 0x18000, 0x20000, 0x30000},
      {__LINE__, -0x10000, 0x8000, -0x8000},
      {__LINE__, -0x10000, -0x8000, 0x8000},
      {__LINE__, 0, kMin, 0},
      {__LINE__, kMin, 0x10000, kMin},
      {__LINE__, kMin, -0x10000, kMin},                         // 32768.0 wraps onto itself
      {__LINE__, kMax, kMax, static_cast<Fixed>(0xFFFF0000u)},  // wraps modulo 2^32
      {__LINE__, kMin, kMin, 0},
      {__LINE__, 1, 0xFFFF, 0},  // below 1/65536 truncates
      {__LINE__, -1, 0x10000, -1},
  };
  for (const BinaryRow& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(FixedMul(row.a, row.b), row.expected);
  }
}

TEST(FixedValues, Square) {
  const UnaryRow rows[] = {
      {__LINE__, 0x18000, 0x24000}, {__LINE__, -0x18000, 0x24000},
      {__LINE__, 0x100, 1},         {__LINE__, 0xFF, 0},
      {__LINE__, kMin, 0},          {__LINE__, kMax, static_cast<Fixed>(0xFFFF0000u)},
  };
  for (const UnaryRow& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(FixedSquare(row.a), row.expected);
  }
}

TEST(FixedValues, Divide) {
  const BinaryRow rows[] = {
      {__LINE__, 0x10000, 0x20000, 0x8000},
      {__LINE__, 1, 3, 21845},
      {__LINE__, 0x10000, -0x18000, -43690},
      {__LINE__, 0x7FFFFFFF, 0x100, 0x7FFFFFFF},
      {__LINE__, -0x7FFFFFFF, 0x100, kMin},
      {__LINE__, kMin, -0x10000, kMax},  // 32768.0 does not fit
      {__LINE__, kMin, 0x10000, kMin},
      {__LINE__, kMin, 0x20000, -0x40000000},
      {__LINE__, kMin, -1, kMax},
      {__LINE__, kMin, 1, kMin},
      {__LINE__, 98304, 3, kMax},  // a quotient of exactly 2^31 only fits when negative
      {__LINE__, 98304, -3, kMin},
      {__LINE__, -98304, 3, kMin},
      {__LINE__, 98303, 3, 0x7FFFAAAA},
      {__LINE__, kMax, kMax, 0x10000},
      {__LINE__, kMax, kMin, -0xFFFF},
      {__LINE__, kMin, kMax, -0x10000},
      {__LINE__, 0, -3, 0},
      {__LINE__, 7, 0x30000, 2},
      {__LINE__, -7, 0x30000, -2},
  };
  for (const BinaryRow& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(FixedDiv(row.a, row.b), row.expected);
  }
  for (Fixed x : {kMin, -1, 0, 1, 12345, kMax}) EXPECT_EQ(FixedDiv(x, 0x10000), x) << x;
}

TEST(FixedValues, Ratio) {
  const BinaryRow rows[] = {
      {__LINE__, 5, 2, 0x28000},        {__LINE__, -5, 2, -0x28000}, {__LINE__, 1, 3, 21845},
      {__LINE__, 32767, 1, 0x7FFF0000}, {__LINE__, -32768, 1, kMin}, {__LINE__, -32768, -1, kMax},
      {__LINE__, 32768, 1, kMin},       // the shift wraps
      {__LINE__, 1, 0x10001, 0x10000},  // so does the divisor's
  };
  for (const BinaryRow& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(FixedRatio(row.a, row.b), row.expected);
  }
}

TEST(FixedValues, MulDiv) {
  struct Row {
    int line;
    int32_t a, b, c;
    int32_t expected;
  };
  const Row rows[] = {
      {__LINE__, 100, 3, 4, 75},
      {__LINE__, 1000, 0x30000, 0x20000, 1500},
      {__LINE__, -100, 3, 4, -75},
      {__LINE__, 100, -3, -4, 75},
      {__LINE__, -100, -3, -4, -75},
      {__LINE__, 1 << 30, 1, 1, 1 << 30},
      {__LINE__, kMax, 1, 1, kMax},
      {__LINE__, kMax, 3, 3, kMax},
      {__LINE__, kMax, 2, 1, kMax},
      {__LINE__, kMax, -2, 1, kMin},
      {__LINE__, kMin, 1, 1, kMin},
      {__LINE__, kMin, -1, 1, kMax},
      {__LINE__, kMin, 1, -1, kMax},
      {__LINE__, kMin, 0x10000, 0x10000, kMin},  // the product needs 33 bits
      {__LINE__, kMin, -0x10000, 0x10000, kMax},
      {__LINE__, kMin, 0x10000, -0x10000, kMax},
      {__LINE__, kMin, kMin, kMin, kMin},  // halved together to 65536 / 65536
      {__LINE__, 1, 131072, 1, kMax},      // c is halved to 0
      {__LINE__, -1, 131072, 1, kMin},
      {__LINE__, 1, -131072, 1, kMin},
      {__LINE__, 0, 131072, 1, 0},
      {__LINE__, 1, 1, 131072, 0},
      {__LINE__, 0, 5, kMin, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(FixedMulDiv(row.a, row.b, row.c), row.expected);
  }
}

TEST(FixedValues, SquareRoot) {
  const UnaryRow rows[] = {
      {__LINE__, 0, 0},
      {__LINE__, 0x40000, 0x20000},
      {__LINE__, 0x20000, 92681},
      {__LINE__, 1, 256},
      {__LINE__, 0x640000, 0xA0000},
      {__LINE__, 0x10000, 0x10000},
      {__LINE__, 0x7FFF0000, 11863102},  // the first midpoint passes 2^31 from here up
      {__LINE__, 0x7FFFFFFF, 11863283},
  };
  for (const UnaryRow& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(FixedSqrt(row.a), row.expected);
  }
}

TEST(FixedValues, Near) {
  for (Fixed a : {kMin, -100, 0, 12345, kMax - 16}) {
    SCOPED_TRACE(a);
    EXPECT_EQ(FixedNear(a, a + 15), 1);
    EXPECT_EQ(FixedNear(a + 15, a), 1);
    EXPECT_EQ(FixedNear(a, a + 16), 0);
    EXPECT_EQ(FixedNear(a + 16, a), 0);
    EXPECT_EQ(FixedNear(a, a), 1);
  }
  EXPECT_EQ(FixedNear(kMax, kMin), 0);  // 2^32 - 1 apart, not -1
  EXPECT_EQ(FixedNear(kMin, kMax), 0);
}

TEST(FixedValues, AngleNormalize) {
  const UnaryRow rows[] = {
      {__LINE__, -1, 23592959},        {__LINE__, 23592960, 0},    {__LINE__, -23592960, 0},
      {__LINE__, 47185921, 1},         {__LINE__, 0, 0},           {__LINE__, 23592959, 23592959},
      {__LINE__, -23592961, 23592959}, {__LINE__, kMin, 23068672}, {__LINE__, kMax, 524287},
  };
  for (const UnaryRow& row : rows) {
    SCOPED_TRACE(row.line);
    Fixed angle = row.a;
    AngleNormalize(&angle);
    EXPECT_EQ(angle, row.expected);
  }
}

TEST(FixedValues, AngleNormalizeFrom) {
  struct Row {
    int line;
    Fixed angle, base;
    Fixed expected;
  };
  const Row rows[] = {
      {__LINE__, 11796480, -11796480, -11796480},
      {__LINE__, -11796480, -11796480, -11796480},
      {__LINE__, 11796479, -11796480, 11796479},
      {__LINE__, -11796481, -11796480, 11796479},
      {__LINE__, kMax, kMin, -2146435073},
      {__LINE__, kMin, kMax - FullTurn + 1, 2146435072},
      {__LINE__, 5, 5, 5},
      {__LINE__, 4, 5, 4 + FullTurn},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Fixed angle = row.angle;
    AngleNormalizeFrom(&angle, row.base);
    EXPECT_EQ(angle, row.expected);
  }
}

TEST(FixedValues, ErrorsBailOut) {
  EXPECT_EQ(RaisedCode([] { FixedDiv(1, 0); }), 1);
  EXPECT_EQ(RaisedCode([] { FixedDiv(0, 0); }), 1);
  EXPECT_EQ(RaisedCode([] { FixedRatio(1, 0); }), 1);
  EXPECT_EQ(RaisedCode([] { FixedRatio(1, 0x10000); }), 1);  // the divisor shifts out to 0
  EXPECT_EQ(RaisedCode([] { FixedMulDiv(1, 1, 0); }), 1);
  EXPECT_EQ(RaisedCode([] { FixedMulDiv(0, 0, 0); }), 1);
  EXPECT_EQ(RaisedCode([] { FixedSqrt(-1); }), 1);
  EXPECT_EQ(RaisedCode([] { FixedSqrt(kMin); }), 1);
  EXPECT_EQ(RaisedCode([] { AngleNormalize(nullptr); }), 1);
  EXPECT_EQ(RaisedCode([] { AngleNormalizeFrom(nullptr, 0); }), 1);
  EXPECT_EQ(RaisedCode([] { FixedSqrt(1); }), -1);
}
