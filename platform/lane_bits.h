// The top bit of each byte lane of a 16-byte vector as one bit of an integer: after a lane-wise
// comparison, the lanes that hold as a bit mask. One instruction on every x64 processor (SSE2),
// a loop elsewhere.
#pragma once

#include <cstdint>

typedef char LaneBits16 __attribute__((vector_size(16)));

// Bit i is the top bit of lane i, for any vector of 16 one-byte lanes.
template <typename Vector>
inline uint32_t LaneTopBits(Vector v) {
  static_assert(sizeof(Vector) == 16);
#if defined(__SSE2__)
  return static_cast<uint32_t>(__builtin_ia32_pmovmskb128(reinterpret_cast<LaneBits16>(v)));
#else
  LaneBits16 bytes = reinterpret_cast<LaneBits16>(v);
  uint32_t bits = 0;
  for (int i = 0; i < 16; ++i) bits |= static_cast<uint32_t>((bytes[i] >> 7) & 1) << i;
  return bits;
#endif
}
