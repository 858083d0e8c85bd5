// The byte-string comparisons' code paths: the baseline in sixteen-byte blocks, and a wider one the
// processor may offer, chosen once when the first comparison runs. Not part of the interface.
#pragma once

#include <cstdint>

// One code path's comparisons. A bound of INT64_MAX compares up to the terminators; a bound of 0
// or less compares nothing. Each returns the difference of the first (folded) bytes that differ,
// or 0.
struct ByteCompareCode {
  int (*compare)(const char* a, const char* b);
  int (*compareBounded)(const char* a, const char* b, int64_t bound);
  int (*compareFolded)(const char* a, const char* b);
  int (*compareFoldedBounded)(const char* a, const char* b, int64_t bound);
};

// The AVX2 path, or null where this build has none (another architecture).
const ByteCompareCode* Avx2ByteCompareCode();

// Whether the comparisons run the wider path in this process.
bool ByteCompareUsesWidePath();
