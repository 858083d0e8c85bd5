// The first step of Utf8ValidLength, inline for the callers that validate in their fast path (the
// collations); not part of the library's interface.
#pragma once

#include <bit>
#include <cstdint>

#include "platform/lane_bits.h"
#include "strings/byte_blocks_internal.h"

namespace {

// Utf8ValidLength of text whose terminator lies in its first block, which ends in the page it
// starts in: ASCII and two-byte sequences (lead 0xC2 to 0xDF) are checked for all lanes at once,
// as bit masks; -2 where the text is longer or holds other bytes from 0x80 up, and is walked
// instead. Words, the collations' daily bread, mostly come this way.
__attribute__((no_sanitize("address"))) inline int ShortValidLength(const unsigned char* p) {
  if (PageRest(p) < kLanes) return -2;
  Lanes x = Load(p);
  uint32_t zeros = LaneTopBits(Terminators(x));
  if (zeros == 0) return -2;
  auto length = std::countr_zero(zeros);
  // Lanes up to the terminator, the terminator's own included: a lead byte before it needs its
  // continuation byte there.
  uint32_t inside = zeros ^ (zeros - 1);
  uint32_t high = LaneTopBits(x) & inside;
  if (high == 0) return length;
  auto s = reinterpret_cast<SignedLanes>(x);
  uint32_t continuation = LaneTopBits(s < -0x40) & inside;            // 0x80 to 0xBF
  uint32_t lead = LaneTopBits((s >= -0x3E) & (s <= -0x21)) & inside;  // 0xC2 to 0xDF
  if ((high & ~lead & ~continuation) != 0) return -2;
  // Valid exactly where every continuation byte follows a lead byte and every lead byte is
  // followed by one.
  return (((lead << 1) ^ continuation) & inside) != 0 ? -1 : length;
}

}  // namespace
