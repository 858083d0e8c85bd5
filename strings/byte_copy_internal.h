// The byte-string copies' code paths: the baseline in sixteen-byte blocks, and a wider one the
// processor may offer, chosen once when the first copy runs. Not part of the interface.
#pragma once

#include <cstddef>

// One code path's copy: src to dst up to its terminator or at most bound bytes, then a terminator;
// returns the bytes copied before it, as the int that the string operations give. Only for
// dst + kCopyDistance <= src.
struct ByteCopyCode {
  int (*copy)(char* dst, const char* src, size_t bound);
  int (*length)(const char* s);  // the bytes before s's terminator, as StrLength gives them
};

// How far below its source a copy's destination must start for a path to serve it.
constexpr size_t kCopyDistance = 32;

// The AVX2 path, or null where this build has none (another architecture).
const ByteCopyCode* Avx2ByteCopyCode();

// Whether the copies run the wider path in this process.
bool ByteCopyUsesWidePath();
