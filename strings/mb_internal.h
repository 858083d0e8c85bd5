// Character stepping shared by the multibyte sources; not part of the library's interface.
#pragma once

#include <bit>
#include <cstddef>

#include "encoding/dialog_encoding.h"
#include "strings/byte_string_internal.h"
#include "strings/mb_pairs_internal.h"
#include "strings/utf8.h"

// MbCopyN for text known to hold no zero among its first size-1 bytes (the byte after them is
// read): copies at most size-1 bytes, never half a character, and terminates; returns the bytes
// copied. For the formatter, whose pieces are measured already.
int MbCopyMeasured(char* dst, const char* src, int size, int enc);

namespace {

// How text in one dialog encoding divides into characters.
struct Stepper {
  const LeadTrailTable* table;  // lead/trail flags for indexes 1 to 4, else null
  bool utf8;                    // index 5: UTF-8 sequences
};

inline Stepper StepperFor(int enc) {
  if (enc == kDialogUtf8) return {nullptr, true};
  if (enc >= 1 && enc <= 4) return {EncLeadTrailTable(enc), false};
  return {nullptr, false};  // HostRoman and unknown indexes step byte by byte
}

// The byte length of the character at p; 0 at the terminator, which it never passes.
inline int CharLength(const Stepper& st, const char* p) {
  unsigned char lead = Byte(p[0]);
  if (lead == 0) return 0;
  if (st.utf8) {
    int length = Utf8SequenceLength(lead);
    int i = 1;
    while (i < length && p[i] != 0) ++i;
    return i;
  }
  if (st.table != nullptr && st.table->lead[lead] && st.table->trail[Byte(p[1])]) return 2;
  return 1;
}

// True when a character of a double-byte table starts at p and takes two bytes.
inline bool IsPair(const LeadTrailTable* table, const char* p) {
  return table->lead[Byte(p[0])] && table->trail[Byte(p[1])];
}

// The bytes that may be both lead and trail byte of a table, as at most two ranges (count 0 when
// they need more), so that runs of wide characters can be passed over a block at a time.
typedef PairRanges PairBytes;

inline PairBytes PairBytesOf(const LeadTrailTable* table) {
  PairBytes pb{0, {0, 0}, {0, 0}};
  for (int b = 1; b < 256; ++b) {
    if (!table->lead[b] || !table->trail[b]) continue;
    if (pb.count > 0 && pb.last[pb.count - 1] == b - 1) {
      pb.last[pb.count - 1] = static_cast<unsigned char>(b);
    } else if (pb.count == 2) {
      return PairBytes{0, {0, 0}, {0, 0}};
    } else {
      pb.first[pb.count] = pb.last[pb.count] = static_cast<unsigned char>(b);
      ++pb.count;
    }
  }
  if (pb.count == 1) {  // the second range repeats the first
    pb.first[1] = pb.first[0];
    pb.last[1] = pb.last[0];
  }
  return pb;
}

// The PairBytes of the table of dialog encoding 1 to 4, worked out once.
inline const PairBytes& PairBytesFor(const LeadTrailTable* table) {
  // The tables are one array; its start is kept beside their pairs, so that no call is needed.
  struct Pairs {
    const LeadTrailTable* tables;
    PairBytes of[6];  // none for HostRoman (0) and UTF-8 (5)
  };
  static const Pairs kPairs = [] {
    Pairs pairs{EncLeadTrailTable(0), {}};
    for (int i = 1; i <= 4; ++i) pairs.of[i] = PairBytesOf(EncLeadTrailTable(i));
    return pairs;
  }();
  ptrdiff_t index = table - kPairs.tables;
  return kPairs.of[index >= 1 && index <= 4 ? index : 0];
}

constexpr int kPairBlock = 64;

// Sixteen bytes at a time, in the vector registers every target has; loads need no alignment.
typedef unsigned char PairLanes __attribute__((vector_size(16)));
typedef unsigned char PairLanesAnyAddress __attribute__((vector_size(16), aligned(1), may_alias));
typedef uint64_t PairHalves __attribute__((vector_size(16)));

inline PairLanes LoadPairLanes(const char* p) {
  return *reinterpret_cast<const PairLanesAnyAddress*>(p);
}

inline bool AnyPairLane(PairLanes v) {
  PairHalves h = reinterpret_cast<PairHalves>(v);
  return (h[0] | h[1]) != 0;
}

// Lanes (non-zero) of x outside both ranges of pb.
inline PairLanes OutsidePairBytes(const PairBytes& pb, PairLanes x) {
  PairLanes out0 =
      reinterpret_cast<PairLanes>(static_cast<PairLanes>(x - pb.first[0]) >
                                  static_cast<unsigned char>(pb.last[0] - pb.first[0]));
  PairLanes out1 =
      reinterpret_cast<PairLanes>(static_cast<PairLanes>(x - pb.first[1]) >
                                  static_cast<unsigned char>(pb.last[1] - pb.first[1]));
  return out0 & out1;
}

// The largest distance above first of the bytes in lanes blocks from b, each byte's distance
// taken modulo 256 (bytes below first come out large).
template <int lanes>
inline PairLanes MostAbove(const char* b, unsigned char first) {
  PairLanes even = LoadPairLanes(b) - first;
  PairLanes odd = even;
  for (int k = 1; k < lanes; ++k) {
    PairLanes d = LoadPairLanes(b + 16 * k) - first;
    if (k % 2 == 0) {
      even = even > d ? even : d;
    } else {
      odd = odd > d ? odd : d;
    }
  }
  return even > odd ? even : odd;
}

// The last lane of v that is not zero; v has one.
inline size_t LastPairLane(PairLanes v) {
  if constexpr (std::endian::native == std::endian::little) {
    PairHalves h = reinterpret_cast<PairHalves>(v);
    return h[1] != 0 ? 15 - static_cast<size_t>(std::countl_zero(h[1])) / 8
                     : 7 - static_cast<size_t>(std::countl_zero(h[0])) / 8;
  } else {
    size_t k = 15;
    while (v[k] == 0) --k;
    return k;
  }
}

// q moved back, not before start, over the bytes in the ranges of pb (count 1 or 2): whole blocks,
// large ones for long runs, then blocks of 16; where 16 bytes before q remain, q stops right after
// the last of them outside the ranges. Reads only start to q.
inline const char* BackOverPairBlocks(const PairBytes& pb, const char* start, const char* q) {
  static PairBlocksBack* const wide = WidePairBlocksBack();
  if (wide != nullptr) q = wide(pb, start, q);
  if (pb.count == 1) {
    // One range: every byte's distance above its first byte is at most the range's span.
    const unsigned char first = pb.first[0];
    const auto span = static_cast<unsigned char>(pb.last[0] - first);
    while (q - start >= 128 &&
           !AnyPairLane(reinterpret_cast<PairLanes>(MostAbove<8>(q - 128, first) > span)))
      q -= 128;
  } else {
    while (q - start >= kPairBlock) {
      const char* b = q - kPairBlock;
      PairLanes out =
          OutsidePairBytes(pb, LoadPairLanes(b)) | OutsidePairBytes(pb, LoadPairLanes(b + 16)) |
          OutsidePairBytes(pb, LoadPairLanes(b + 32)) | OutsidePairBytes(pb, LoadPairLanes(b + 48));
      if (AnyPairLane(out)) break;
      q = b;
    }
  }
  while (q - start >= 16) {
    PairLanes out = OutsidePairBytes(pb, LoadPairLanes(q - 16));
    if (AnyPairLane(out)) return q - 16 + LastPairLane(out) + 1;
    q -= 16;
  }
  return q;
}

// The start of the run of lead/trail pairs of a double-byte table that ends at p, not before
// start: the byte before the run ends a character (or start is a boundary), so the run's
// characters start at its first byte and every second byte after it. Reads only start to p.
inline const char* PairRunStart(const LeadTrailTable* table, const char* start, const char* p) {
  const PairBytes& pb = PairBytesFor(table);
  const char* q = p;
  int steps = 0;  // bytes stepped since a block was last tried: the shortest runs never try one
  while (q > start && IsPair(table, q - 1)) {
    --q;
    // Every byte of a block before q may start a pair and end one, and q's byte may end one: the
    // block belongs to the run.
    if (++steps < 8 || pb.count == 0 || !table->trail[Byte(q[0])]) continue;
    q = BackOverPairBlocks(pb, start, q);
    steps = 0;
  }
  return q;
}

// True when p, inside the text, starts a character of a double-byte table, given a character
// boundary at start <= p. Reads only start to p.
inline bool DoubleByteBoundary(const LeadTrailTable* table, const char* start, const char* p) {
  return (p - PairRunStart(table, start, p)) % 2 == 0;
}

// The UTF-8 character at p, cut short by the terminator; 0 at the terminator.
inline int Utf8Length(const char* p) {
  return CharLength(Stepper{nullptr, true}, p);
}

}  // namespace
