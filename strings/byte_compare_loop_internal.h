// The byte-string comparison loop shared by every code path. A path supplies its blocks as a
// record of static inline functions (Blocks below) and instantiates the loop in its own source,
// which defines TANSEL_COMPARE_TARGET first: the loop then carries that path's target attribute
// (AVX2's, or none for the baseline) and inlines the path's vector code into it. Not part of the
// library's interface.
//
// What a Blocks record offers:
//   kWidth                     bytes in a block, a power of two
//   Block Load(p)              a block from p (p's page holds it)
//   Block Kept(x, y)           x's lanes where x and y compare equal under the mapping and x is
//                              not a terminator, zero lanes where the comparison stops
//   Block Min(x, y)            the lane-wise smaller byte
//   bool HasZero(v)            whether a lane of v is zero
//   size_t FirstZero(k0, k1, k2, k3)
//                              the first zero lane of four consecutive blocks (one has one)
//   Mask Stops(x, y)           the lanes where the comparison stops
//   bool Any(m), size_t First(m)
//   bool Tail(a, b, before, room, &step)
//                              near a page end or the bound, room (1 to kWidth - 1) bytes from a
//                              and b are left and the `before` bytes before them compared equal:
//                              true with step at the first stop, or false with step the bytes
//                              found equal (0 when no block could be read there)
//   unsigned char Map(c)       the byte as compared (itself, or folded)
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "strings/byte_blocks_internal.h"

#ifndef TANSEL_COMPARE_TARGET
#error "define TANSEL_COMPARE_TARGET (the path's target attribute, or nothing) before this header"
#endif

namespace {

// Compares at most bound bytes through Blocks::Map; the difference of the first mapped bytes that
// differ, or 0. A terminator ends the comparison only where both strings share it. One pass over
// both strings, in blocks as far as neither reaches a page end, then Blocks::Tail, then single
// bytes. The first `start` bytes are known to be equal and neither holds a terminator.
template <typename Blocks>
TANSEL_COMPARE_TARGET __attribute__((no_sanitize("address"))) int CompareBlocksFrom(const char* sa,
                                                                                    const char* sb,
                                                                                    int64_t bound,
                                                                                    size_t start) {
  constexpr size_t kWidth = Blocks::kWidth;
  if (bound <= 0) return 0;
  auto* a = reinterpret_cast<const unsigned char*>(sa);
  auto* b = reinterpret_cast<const unsigned char*>(sb);
  size_t n = static_cast<size_t>(bound);
  size_t i = start;
  for (;;) {
    // Bytes from i that both pages and the bound hold.
    size_t room = std::min(std::min(PageRest(a + i), PageRest(b + i)), n - i);
    if (room >= kWidth) {
      size_t end = i + room;
      // Most strings end or differ in their first block: it goes first, on its own.
      auto stops = Blocks::Stops(Blocks::Load(a + i), Blocks::Load(b + i));
      if (!Blocks::Any(stops)) {
        // On from the first block boundary of a: its blocks then never straddle two cache lines
        // (a few bytes already compared are compared again).
        i += kWidth - (reinterpret_cast<uintptr_t>(a + i) & (kWidth - 1));
        // Four blocks tested together cross long equal stretches.
        bool found = false;
        for (size_t quads = (end - i) / (4 * kWidth); quads > 0; --quads) {
          auto k0 = Blocks::Kept(Blocks::Load(a + i), Blocks::Load(b + i));
          auto k1 = Blocks::Kept(Blocks::Load(a + i + kWidth), Blocks::Load(b + i + kWidth));
          auto k2 =
              Blocks::Kept(Blocks::Load(a + i + 2 * kWidth), Blocks::Load(b + i + 2 * kWidth));
          auto k3 =
              Blocks::Kept(Blocks::Load(a + i + 3 * kWidth), Blocks::Load(b + i + 3 * kWidth));
          if (Blocks::HasZero(Blocks::Min(Blocks::Min(k0, k1), Blocks::Min(k2, k3)))) {
            i += Blocks::FirstZero(k0, k1, k2, k3);
            found = true;
            break;
          }
          i += 4 * kWidth;
        }
        if (!found) {
          while (end - i >= kWidth) {
            stops = Blocks::Stops(Blocks::Load(a + i), Blocks::Load(b + i));
            if (Blocks::Any(stops)) break;
            i += kWidth;
          }
          if (!Blocks::Any(stops)) continue;  // the room is used up: measure it again
          i += Blocks::First(stops);
        }
      } else {
        i += Blocks::First(stops);
      }
    } else if (room == 0) {
      return 0;  // the bound is reached
    } else {
      size_t step = 0;
      bool stopped = Blocks::Tail(a + i, b + i, i, room, &step);
      i += step;
      if (!stopped && step > 0) continue;
    }
    // a[i] and b[i] are there: at a stopping lane, or a single step near a page end or the bound.
    int d = Blocks::Map(a[i]) - Blocks::Map(b[i]);
    if (d != 0 || a[i] == 0) return d;
    ++i;
  }
}

template <typename Blocks>
TANSEL_COMPARE_TARGET int CompareBlocks(const char* sa, const char* sb, int64_t bound) {
  return CompareBlocksFrom<Blocks>(sa, sb, bound, 0);
}

// CompareBlocks without a bound, with the first block looked at before the loop is entered: most
// strings end or differ there, and this spares short ones the loop's set-up.
template <typename Blocks>
TANSEL_COMPARE_TARGET __attribute__((no_sanitize("address"))) int CompareWholeBlocks(
    const char* sa, const char* sb) {
  auto* a = reinterpret_cast<const unsigned char*>(sa);
  auto* b = reinterpret_cast<const unsigned char*>(sb);
  size_t start = 0;
  if (PageRest(a) >= Blocks::kWidth && PageRest(b) >= Blocks::kWidth) {
    auto stops = Blocks::Stops(Blocks::Load(a), Blocks::Load(b));
    start = Blocks::kWidth;
    if (Blocks::Any(stops)) {
      size_t k = Blocks::First(stops);
      int d = Blocks::Map(a[k]) - Blocks::Map(b[k]);
      if (d != 0 || a[k] == 0) return d;
      start = k + 1;  // bytes the vector test told apart and the table finds equal
    }
  }
  return CompareBlocksFrom<Blocks>(sa, sb, INT64_MAX, start);
}

}  // namespace
