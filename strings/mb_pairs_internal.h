// Passing back over runs of double-byte characters a block at a time: the code paths, chosen once
// when first needed. Not part of the library's interface.
#pragma once

// The bytes that may be both lead and trail byte of a table, as one or two ranges (with one, the
// second repeats the first).
struct PairRanges {
  int count;
  unsigned char first[2], last[2];
};

// q moved back, not before start, over whole blocks that hold only bytes in the ranges of r
// (count 1 or 2). Reads only start to q.
typedef const char* PairBlocksBack(const PairRanges& r, const char* start, const char* q);

// The AVX2 path, or null where this build has none (another architecture).
PairBlocksBack* Avx2PairBlocksBack();

// The chosen path: the AVX2 one where the processor runs it, else null (the caller's own blocks
// of 16 serve).
PairBlocksBack* WidePairBlocksBack();
