// 16.16 fixed-point numbers as the host exchanges them: conversions, multiply, divide, scale,
// square root, closeness and the normalisation of angles (Fixed degrees) into one turn.
//
// Arithmetic is 32-bit. Multiplication, squaring and FixedRatio wrap modulo 2^32 without notice;
// quotients that do not fit saturate. Division by zero and negative square roots take MemBailOut.
#pragma once

#include <cstdint>

typedef int32_t Fixed;  // value / 65536; 0x10000 is 1.0

inline constexpr Fixed FullTurn = 0x1680000;  // 360 degrees

// x × 65536 truncated toward zero; a NaN or a product outside the 32-bit range gives -2147483648.
Fixed FixedFromDouble(double x);
// a / 65536 computed in single precision (a rounded to a 24-bit significand first), then widened.
double DoubleFromFixed(Fixed a);
// a × b: the 64-bit product of the magnitudes shifted down 16 bits, kept to 32 bits, then signed.
Fixed FixedMul(Fixed a, Fixed b);
// a / b truncated toward zero, saturated to 2147483647 or -2147483648; b = 0 bails out.
Fixed FixedDiv(Fixed a, Fixed b);
// FixedDiv(a << 16, b << 16), the shifts wrapping: a / b for integers of magnitude below 32768.
Fixed FixedRatio(int32_t a, int32_t b);
// a × b / c truncated, without 64-bit intermediates: exact while |b| and |c| are at most 65536,
// otherwise b and c are halved together until they are; saturates when the quotient does not fit.
// c = 0 bails out.
int32_t FixedMulDiv(int32_t a, int32_t b, int32_t c);
// |a| squared with the lowest partial product truncated, modulo 2^32.
Fixed FixedSquare(Fixed a);
// The square root by Newton iteration, to within the iteration's tolerance; a < 0 bails out.
Fixed FixedSqrt(Fixed a);
// 1 when a and b differ by less than 16 (16/65536), else 0.
int FixedNear(Fixed a, Fixed b);
// Replaces *angle by its value modulo FullTurn, in [0, FullTurn); a null address bails out.
void AngleNormalize(Fixed* angle);
// Replaces *angle by the value congruent modulo FullTurn in [base, base + FullTurn), taken modulo
// 2^32 where that interval passes 2147483647; a null address bails out.
void AngleNormalizeFrom(Fixed* angle, Fixed base);
