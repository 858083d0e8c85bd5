// The byte-string copies' code paths: the baseline in sixteen-byte blocks, and a wider one the
// processor may offer, chosen once when the first copy runs. Not part of the interface.
#pragma once

#include <cstddef>

#include "strings/mb_pairs_internal.h"

// One code path's copy: src to dst up to its terminator or at most bound bytes, then a terminator;
// returns the bytes copied before it, as the int that the string operations give. Only for
// dst + kCopyDistance <= src.
struct ByteCopyCode {
  int (*copy)(char* dst, const char* src, size_t bound);
  int (*length)(const char* s);  // the bytes before s's terminator, as StrLength gives them
  // copy, noting on the way where the last run of bytes in r's one range (count 1) begins: when
  // the copy stops at the bound, every byte from src + *run to it lies in that range.
  int (*copyNotingRun)(char* dst, const char* src, size_t bound, const PairRanges& r, size_t* run);
  // the length of s or bound, whichever is less, noting the run as copyNotingRun does
  size_t (*lengthNotingRun)(const char* s, size_t bound, const PairRanges& r, size_t* run);
};

// How far below its source a copy's destination must start for a path to serve it.
constexpr size_t kCopyDistance = 32;

// Copies src to dst as the chosen path's copy does, for dst + kCopyDistance <= src, and notes
// where the run of bytes in r's one range that reaches the copy's end begins (see copyNotingRun).
int CopyNotingRun(char* dst, const char* src, size_t bound, const PairRanges& r, size_t* run);

// The length of s or bound, whichever is less, as the chosen path finds it, noting where the run
// of bytes in r's one range that reaches bound begins when the result is bound.
size_t LengthNotingRun(const char* s, size_t bound, const PairRanges& r, size_t* run);

// The AVX2 path, or null where this build has none (another architecture).
const ByteCopyCode* Avx2ByteCopyCode();
// The AVX2 path with its runs of double-byte characters in 64-byte blocks (AVX-512 byte
// instructions), or null where this build has none.
const ByteCopyCode* Avx512ByteCopyCode();

// Whether the copies run the wider path in this process.
bool ByteCopyUsesWidePath();

// The path the copies run in this process.
const ByteCopyCode* ByteCopyChosenCode();
