// The byte-string copy loop shared by every code path: it finds the terminator in the same pass as
// the copy. A path supplies its blocks as a record of static inline functions and instantiates the
// loop in its own source, which defines TANSEL_COPY_TARGET first (the path's target attribute, or
// nothing). Not part of the library's interface.
//
// What a Blocks record offers:
//   kWidth                     bytes in a block, a power of two, at most 2 * kLanes
//   Block Load(p), Store(p, v) a block from p (p's page holds it), and to p
//   Block Min(x, y)            the lane-wise smaller byte
//   bool HasZero(v)            whether a lane of v is zero
//   size_t FirstZero(v, from)  the first zero lane of v at or after lane `from`, or kWidth
//   size_t FirstZero4(x0, x1, x2, x3)
//                              the first zero lane of four consecutive blocks (one has one)
//
// A Track record sees the bytes a copy takes in order, all of them when the copy ends at the bound
// (one that ends at a terminator may leave out its last blocks); some are seen twice:
//   Whole(i, x)                the block x from src + i, copied whole
//   Whole4(i, x0, x1, x2, x3)  four consecutive blocks from src + i, copied whole
//   Part(i, x, from, n)        lanes from to from + n - 1 of x, the bytes from src + i, copied
// NoTrack looks at nothing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "strings/byte_blocks_internal.h"

#ifndef TANSEL_COPY_TARGET
#error "define TANSEL_COPY_TARGET (the path's target attribute, or nothing) before this header"
#endif

namespace {

struct NoTrack {
  template <typename Block>
  static void Whole(size_t, const Block&) {}
  template <typename Block>
  static void Whole4(size_t, const Block&, const Block&, const Block&, const Block&) {}
  template <typename Block>
  static void Part(size_t, const Block&, size_t, size_t) {}
};

// The last bytes of a copy: x is the block at src + i, which holds a terminator or reaches the
// bound. Copies up to the terminator or the bound, whichever comes first, and ends the copy.
template <typename Blocks, typename Track, typename Block>
TANSEL_COPY_TARGET inline size_t FinishCopy(char* dst, const char* src, size_t i, size_t bound,
                                            Block x, size_t from, Track& track) {
  size_t n = std::min(Blocks::FirstZero(x, from) - from, bound - i);
  track.Part(i, x, from, n);
  MoveShort(dst + i, src + i, n);
  dst[i + n] = 0;
  return i + n;
}

// Reads the four blocks at p (their page holds them) into x0 to x3; the first zero lane among them,
// or 4 * kWidth when they hold none. (Four variables, not an array: an array would live on the
// stack.)
template <typename Blocks, typename Block>
TANSEL_COPY_TARGET inline size_t LoadFourBlocks(const char* p, Block& x0, Block& x1, Block& x2,
                                                Block& x3) {
  constexpr size_t kWidth = Blocks::kWidth;
  x0 = Blocks::Load(p);
  x1 = Blocks::Load(p + kWidth);
  x2 = Blocks::Load(p + 2 * kWidth);
  x3 = Blocks::Load(p + 3 * kWidth);
  if (!Blocks::HasZero(Blocks::Min(Blocks::Min(x0, x1), Blocks::Min(x2, x3)))) return 4 * kWidth;
  return Blocks::FirstZero4(x0, x1, x2, x3);
}

// Ends a copy whose terminator lies at src + i + k, in the four blocks x0 to x3 read from src + i:
// the blocks before the terminator's own are stored whole, then the block that ends at the
// terminator, read before any store (it starts at src or later: i + k >= kWidth - 1).
template <typename Blocks, typename Block>
TANSEL_COPY_TARGET inline size_t EndInFourBlocks(char* dst, const char* src, size_t i, size_t k,
                                                 Block x0, Block x1, Block x2) {
  constexpr size_t kWidth = Blocks::kWidth;
  auto last = Blocks::Load(src + i + k + 1 - kWidth);
  if (k >= kWidth) Blocks::Store(dst + i, x0);
  if (k >= 2 * kWidth) Blocks::Store(dst + i + kWidth, x1);
  if (k >= 3 * kWidth) Blocks::Store(dst + i + 2 * kWidth, x2);
  Blocks::Store(dst + i + k + 1 - kWidth, last);
  return i + k;
}

// Copies src to dst up to its terminator or at most bound bytes, and ends the copy with a
// terminator; the bytes copied before it. dst + Blocks::kWidth <= src: each block's bytes are read
// before any store can reach them (a store at dst + i lands below src + i - kWidth + 1).
//
// Source blocks are read only inside src's page (the bound limits what is copied, not what is
// read), or, near its end, as the block that ends at the page end.
//
// Only Blocks::Load reads past the terminator (it is exempt from AddressSanitizer); the stores are
// checked like any others.
//
// The first `start` bytes (at most bound) are copied already and hold no terminator.
template <typename Blocks, typename Track = NoTrack>
TANSEL_COPY_TARGET size_t CopyBlocksFrom(char* dst, const char* src, size_t bound, size_t start,
                                         Track&& track = {}) {
  constexpr size_t kWidth = Blocks::kWidth;
  size_t i = start;
  for (;;) {
    size_t page = PageRest(src + i);
    if (i == bound) {
      // The bound ends the copy at a page end: the next page may be none of src's (a source
      // without a terminator is read no further than the bound).
      dst[i] = 0;
      return i;
    }
    if (page >= kWidth) {
      // Whole blocks up to the page end or the bound.
      size_t end = i + std::min(page, bound - i);
      auto x = Blocks::Load(src + i);
      if (Blocks::HasZero(x) || end - i < kWidth) {
        return FinishCopy<Blocks>(dst, src, i, bound, x, 0, track);
      }
      Blocks::Store(dst + i, x);
      track.Whole(i, x);
      // On from the first block boundary of src: its reads then never straddle two cache lines
      // (a few bytes are copied twice, which the distance between dst and src allows).
      i += kWidth - (reinterpret_cast<uintptr_t>(src + i) & (kWidth - 1));
      for (size_t quads = (end - i) / (4 * kWidth); quads > 0; --quads) {
        decltype(x) x0, x1, x2, x3;
        if (size_t k = LoadFourBlocks<Blocks>(src + i, x0, x1, x2, x3); k < 4 * kWidth) {
          // The terminator is in these blocks; in the first, the block that ends at it may start
          // before src.
          if (k < kWidth) return FinishCopy<Blocks>(dst, src, i, bound, x0, 0, track);
          return EndInFourBlocks<Blocks>(dst, src, i, k, x0, x1, x2);
        }
        Blocks::Store(dst + i, x0);
        Blocks::Store(dst + i + kWidth, x1);
        Blocks::Store(dst + i + 2 * kWidth, x2);
        Blocks::Store(dst + i + 3 * kWidth, x3);
        track.Whole4(i, x0, x1, x2, x3);
        i += 4 * kWidth;
      }
      while (end - i >= kWidth) {
        x = Blocks::Load(src + i);
        if (Blocks::HasZero(x)) return FinishCopy<Blocks>(dst, src, i, bound, x, 0, track);
        Blocks::Store(dst + i, x);
        track.Whole(i, x);
        i += kWidth;
      }
      continue;  // the page or the bound is reached: measure again
    }
    // The block that ends at the page end; its first lanes hold bytes already copied or, at the
    // start of the string, bytes before it in the same page. They are left out.
    size_t back = kWidth - page;
    auto x = Blocks::Load(src + i - back);
    if (Blocks::FirstZero(x, back) < kWidth || bound - i <= page) {
      return FinishCopy<Blocks>(dst, src, i, bound, x, back, track);
    }
    track.Part(i, x, back, page);
    MoveShort(dst + i, src + i, page);
    i += page;
  }
}

template <typename Blocks, typename Track = NoTrack>
TANSEL_COPY_TARGET size_t CopyBlocks(char* dst, const char* src, size_t bound, Track&& track = {}) {
  return CopyBlocksFrom<Blocks>(dst, src, bound, 0, track);
}

// The length of s, or bound when s is longer, its bytes up to there seen by track as a copy's
// are (all of them when the result is bound). Reads aligned blocks, which never reach into
// another page: the one around s (its lanes before s left out), then four at a time where the
// page holds them, else one.
//
// LengthWithinBlocksFrom goes on from s + start, a block boundary (start <= bound), where the bytes
// before hold no terminator and track has seen them.
template <typename Blocks, typename Track>
TANSEL_COPY_TARGET size_t LengthWithinBlocksFrom(const char* s, size_t bound, size_t start,
                                                 Track& track) {
  constexpr size_t kWidth = Blocks::kWidth;
  decltype(Blocks::Load(s)) x;
  size_t n;
  size_t i = start;
  while (bound - i >= kWidth) {
    if (bound - i >= 4 * kWidth && PageRest(s + i) >= 4 * kWidth) {
      decltype(x) x0, x1, x2, x3;
      if (size_t k = LoadFourBlocks<Blocks>(s + i, x0, x1, x2, x3); k < 4 * kWidth) return i + k;
      track.Whole4(i, x0, x1, x2, x3);
      i += 4 * kWidth;
    } else {
      x = Blocks::Load(s + i);
      if (Blocks::HasZero(x)) return i + Blocks::FirstZero(x, 0);
      track.Whole(i, x);
      i += kWidth;
    }
  }
  if (i == bound) return i;
  x = Blocks::Load(s + i);
  n = std::min(Blocks::FirstZero(x, 0), bound - i);
  track.Part(i, x, 0, n);
  return i + n;
}

// LengthInFirstBlock reads the aligned block around s: the length, or bound, when *ended says it
// ends there; else the offset of the next block boundary, where LengthWithinBlocksFrom goes on.
template <typename Blocks, typename Track>
TANSEL_COPY_TARGET inline size_t LengthInFirstBlock(const char* s, size_t bound, Track& track,
                                                    bool* ended) {
  constexpr size_t kWidth = Blocks::kWidth;
  auto misaligned = static_cast<size_t>(reinterpret_cast<uintptr_t>(s) & (kWidth - 1));
  auto x = Blocks::Load(s - misaligned);
  size_t n = std::min(Blocks::FirstZero(x, misaligned) - misaligned, bound);
  track.Part(0, x, misaligned, n);
  *ended = n < kWidth - misaligned;
  return n;
}

template <typename Blocks, typename Track>
TANSEL_COPY_TARGET size_t LengthWithinBlocks(const char* s, size_t bound, Track& track) {
  bool ended = false;
  size_t n = LengthInFirstBlock<Blocks>(s, bound, track, &ended);
  return ended ? n : LengthWithinBlocksFrom<Blocks>(s, bound, n, track);
}

// Where the first zero lies in the four blocks at p, or 4 * kWidth when they hold none.
template <typename Blocks>
TANSEL_COPY_TARGET inline size_t ZeroInFourBlocks(const char* p) {
  decltype(Blocks::Load(p)) x0, x1, x2, x3;
  return LoadFourBlocks<Blocks>(p, x0, x1, x2, x3);
}

// The length of s: its first block where its page holds one, else the aligned block around s
// (its lanes before s left out); then aligned blocks, which never reach into another page: four at
// a time where the page holds them, twice, and on from a multiple of 4 * kWidth, where four lie in
// one page.
template <typename Blocks>
TANSEL_COPY_TARGET size_t LengthInBlocks(const char* s) {
  constexpr size_t kWidth = Blocks::kWidth;
  auto misaligned = static_cast<size_t>(reinterpret_cast<uintptr_t>(s) & (kWidth - 1));
  const char* p = s - misaligned;
  if (PageRest(s) >= kWidth) {
    size_t k = Blocks::FirstZero(Blocks::Load(s), 0);
    if (k < kWidth) return k;
  } else {
    size_t k = Blocks::FirstZero(Blocks::Load(p), misaligned);
    if (k < kWidth) return k - misaligned;
  }
  p += kWidth;
  // Strings of a few hundred bytes: two runs of four blocks from there where the page holds them.
  for (int k = 0; k < 2 && PageRest(p) >= 4 * kWidth; ++k) {
    if (size_t z = ZeroInFourBlocks<Blocks>(p); z < 4 * kWidth)
      return static_cast<size_t>(p - s) + z;
    p += 4 * kWidth;
  }
  while ((reinterpret_cast<uintptr_t>(p) & (4 * kWidth - 1)) != 0) {
    auto x = Blocks::Load(p);
    if (Blocks::HasZero(x)) return static_cast<size_t>(p - s) + Blocks::FirstZero(x, 0);
    p += kWidth;
  }
  for (;;) {
    if (size_t z = ZeroInFourBlocks<Blocks>(p); z < 4 * kWidth)
      return static_cast<size_t>(p - s) + z;
    p += 4 * kWidth;
  }
}

}  // namespace
