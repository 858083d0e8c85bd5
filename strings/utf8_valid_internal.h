// The first step of Utf8ValidLength, inline for the callers that validate in their fast path (the
// collations); not part of the library's interface.
#pragma once

#include <bit>
#include <cstdint>

#include "platform/lane_bits.h"
#include "strings/byte_blocks_internal.h"

namespace {

// Utf8ValidLength of text whose terminator lies in its first block, which ends in the page it
// starts in, where every byte from 0x80 up is a continuation byte or a lead byte that LeadLanes
// marks (lead bytes of two-byte sequences only: 0xC2 to 0xDF or fewer): all lanes are checked at
// once, as bit masks. -2 where the text is longer or holds other bytes from 0x80 up, and is walked
// instead. Words, the collations' daily bread, mostly come this way. Text that starts a page takes
// the walk too, so a null pointer is never read here.
template <typename LeadLanes>
__attribute__((no_sanitize("address"))) inline int ShortTwoByteLength(const unsigned char* p,
                                                                      LeadLanes leadLanes) {
  // p's offset in its page, less one: more than kPage - kLanes - 1 where the block would cross the
  // page end or p starts a page.
  if (((reinterpret_cast<uintptr_t>(p) - 1) & (kPage - 1)) >= kPage - kLanes) return -2;
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
  uint32_t continuation = LaneTopBits(s < -0x40) & inside;  // 0x80 to 0xBF
  uint32_t lead = LaneTopBits(leadLanes(x)) & inside;
  if ((high & ~lead & ~continuation) != 0) return -2;
  // Valid exactly where every continuation byte follows a lead byte and every lead byte is
  // followed by one.
  return (((lead << 1) ^ continuation) & inside) != 0 ? -1 : length;
}

// Lanes of x from first to last (bytes from 0x80 up): x - first, as a signed byte, lies below
// -128 + (last - first + 1) exactly there, one addition and one comparison.
template <unsigned char first, unsigned char last>
inline Lanes LanesWithin(Lanes x) {
  static_assert(first >= 0x80 && first <= last);
  auto shifted = reinterpret_cast<SignedLanes>(x + static_cast<unsigned char>(0x80 - first));
  return reinterpret_cast<Lanes>(shifted < static_cast<signed char>(-128 + (last - first + 1)));
}

// Every lead byte of a two-byte sequence (U+0080 to U+07FF).
inline int ShortValidLength(const unsigned char* p) {
  return ShortTwoByteLength(p, LanesWithin<0xC2, 0xDF>);
}

}  // namespace
