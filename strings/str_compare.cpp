// Byte strings: equality, prefixes and suffixes, and ordering, exact and case-insensitive.
#include <cstring>

#include "strings/byte_string.h"
#include "strings/byte_string_internal.h"

namespace {

inline unsigned char Exact(char c) {
  return Byte(c);
}

constexpr int64_t kWhole = INT64_MAX;  // no bound: the terminators stop the comparison

// Blocks compared with a loop the compiler turns into vector instructions: no early exit inside.
constexpr size_t kBlock = 64;

inline bool SameWord(const unsigned char* a, const unsigned char* b) {
  uint64_t x, y;
  std::memcpy(&x, a, 8);
  std::memcpy(&y, b, 8);
  return x == y;
}

// The first index below m at which a and b differ, or m; both are readable for m bytes.
size_t Mismatch(const unsigned char* a, const unsigned char* b, size_t m) {
  size_t i = 0;
  // Long equal stretches go to the C library's memcmp, which only says whether they differ.
  constexpr size_t kChunk = 256;
  while (i + kChunk <= m && std::memcmp(a + i, b + i, kChunk) == 0) i += kChunk;
  for (; i + kBlock <= m; i += kBlock) {
    uint64_t any = 0;
    for (size_t k = 0; k < kBlock; k += 8) {
      uint64_t x, y;
      std::memcpy(&x, a + i + k, 8);
      std::memcpy(&y, b + i + k, 8);
      any |= x ^ y;
    }
    if (any != 0) break;
  }
  for (; i + 8 <= m && SameWord(a + i, b + i); i += 8) {
  }
  while (i < m && a[i] == b[i]) ++i;
  return i;
}

// The bits in which x and y differ, less a case difference of an ASCII letter: 0 when
// CaseLowerTable folds them alike through that rule (it lowers exactly 'A' to 'Z' below 0x80).
// Written without branches, for vector instructions.
inline unsigned char AsciiFoldDifference(unsigned char x, unsigned char y) {
  auto letter = static_cast<unsigned char>((x | 0x20) - 'a');
  auto caseBit = static_cast<unsigned char>(letter < 26 ? 0x20 : 0);
  return static_cast<unsigned char>((x ^ y) & ~caseBit);
}

// The first index below m at which a and b differ once folded, or m. Blocks that are equal or
// differ only in the case of ASCII letters pass at once; any other block is folded through the
// table.
// The case-blind differences of n byte pairs ORed together, without branches: vector instructions.
template <size_t n>
unsigned char FoldedBlockDifference(const unsigned char* a, const unsigned char* b) {
  unsigned char differ = 0;
  for (size_t k = 0; k < n; ++k) differ |= AsciiFoldDifference(a[k], b[k]);
  return differ;
}

size_t FoldedMismatch(const unsigned char* a, const unsigned char* b, size_t m) {
  size_t i = 0;
  while (i + kBlock <= m) {
    if (FoldedBlockDifference<kBlock>(a + i, b + i) == 0) {
      i += kBlock;
      continue;
    }
    for (size_t end = i + kBlock; i < end; ++i)
      if (CaseLowerTable[a[i]] != CaseLowerTable[b[i]]) return i;
  }
  while (i + 16 <= m && FoldedBlockDifference<16>(a + i, b + i) == 0) i += 16;
  for (; i < m; ++i)
    if (CaseLowerTable[a[i]] != CaseLowerTable[b[i]]) return i;
  return i;
}

// Compares at most n bytes mapped through Map (Exact or Fold); the difference of the first mapped
// bytes that differ, or 0. A terminator ends the comparison only where both strings share it.
// Both lengths are taken first with the C library, so the comparison itself runs over bytes known
// to be there.
template <unsigned char (*Map)(char)>
int CompareMapped(const char* a, const char* b, int64_t n) {
  // Most strings differ or end within their first bytes: those are compared one by one.
  constexpr int64_t kHead = 16;
  for (int64_t i = 0; i < kHead; ++i) {
    if (i >= n) return 0;
    int d = Map(a[i]) - Map(b[i]);
    if (d != 0 || a[i] == 0) return d;
  }
  if (n != kWhole) n -= kHead;
  a += kHead;
  b += kHead;
  if (n <= 0) return 0;
  size_t limit = static_cast<size_t>(n);
  size_t la =
      n == kWhole ? std::strlen(a) : static_cast<size_t>(StrLengthN(a, static_cast<int>(n)));
  const void* end = std::memchr(b, 0, la);
  size_t m = end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - b) : la;
  auto* ua = reinterpret_cast<const unsigned char*>(a);
  auto* ub = reinterpret_cast<const unsigned char*>(b);
  size_t i;
  if constexpr (Map == Exact)
    i = Mismatch(ua, ub, m);
  else
    i = FoldedMismatch(ua, ub, m);
  if (i >= limit) return 0;      // equal over the whole bound
  return Map(a[i]) - Map(b[i]);  // both bytes are there: i is at most either length
}

template <unsigned char (*Map)(char)>
int HasSuffixMapped(const char* s, const char* suffix) {
  int suffixLength = StrLength(suffix);
  if (suffixLength == 0) return 1;
  int length = StrLength(s);  // a null s is shorter than any non-empty suffix
  if (suffixLength > length) return 0;
  return CompareMapped<Map>(s + length - suffixLength, suffix, kWhole) == 0 ? 1 : 0;
}

inline bool Skipped(char c) {
  return c == ' ' || c == '-';
}

}  // namespace

int StrEqual(const char* a, const char* b) {
  return std::strcmp(OrEmpty(a), OrEmpty(b)) == 0 ? 1 : 0;
}

int StrEqualN(const char* a, const char* b, int n) {
  if (a == b || n < 1) return 1;
  return CompareMapped<Exact>(OrEmpty(a), OrEmpty(b), n) == 0 ? 1 : 0;
}

int StrIEqualN(const char* a, const char* b, int n) {
  if (a == b || n < 1) return 1;
  return CompareMapped<Fold>(OrEmpty(a), OrEmpty(b), n) == 0 ? 1 : 0;
}

int StrIEqual(const char* a, const char* b) {
  return CompareMapped<Fold>(OrEmpty(a), OrEmpty(b), kWhole) == 0 ? 1 : 0;
}

int StrIEqualLoose(const char* a, const char* b) {
  if (a == b) return 1;
  a = OrEmpty(a);
  b = OrEmpty(b);
  for (;;) {
    while (Skipped(*a)) ++a;
    while (Skipped(*b)) ++b;
    if (*a == 0 || *b == 0 || Fold(*a) != Fold(*b)) return Fold(*a) == Fold(*b) ? 1 : 0;
    ++a;
    ++b;
  }
}

int StrHasPrefix(const char* s, const char* prefix) {
  return StrHasPrefixN(s, prefix, StrLength(prefix));
}

int StrHasPrefixN(const char* s, const char* prefix, int n) {
  int length = StrLengthN(prefix, n);
  return length == 0 || std::strncmp(OrEmpty(s), prefix, static_cast<size_t>(length)) == 0 ? 1 : 0;
}

int StrIHasPrefix(const char* s, const char* prefix) {
  int length = StrLength(prefix);
  return length == 0 || CompareMapped<Fold>(OrEmpty(s), prefix, length) == 0 ? 1 : 0;
}

int StrHasSuffix(const char* s, const char* suffix) {
  return HasSuffixMapped<Exact>(s, suffix);
}

int StrIHasSuffix(const char* s, const char* suffix) {
  return HasSuffixMapped<Fold>(s, suffix);
}

int StrCompare(const char* a, const char* b) {
  return CompareMapped<Exact>(OrEmpty(a), OrEmpty(b), kWhole);
}

int StrCompareN(const char* a, const char* b, int n) {
  return CompareMapped<Exact>(OrEmpty(a), OrEmpty(b), n);  // n <= 0 compares nothing
}

int StrICompare(const char* a, const char* b) {
  return CompareMapped<Fold>(OrEmpty(a), OrEmpty(b), kWhole);
}

int StrICompareN(const char* a, const char* b, int n) {
  return CompareMapped<Fold>(OrEmpty(a), OrEmpty(b), n);
}

int StrICompareThenCase(const char* a, const char* b) {
  a = OrEmpty(a);
  b = OrEmpty(b);
  int folded = CompareMapped<Fold>(a, b, kWhole);
  return folded != 0 ? folded : CompareMapped<Exact>(a, b, kWhole);
}

int StrSortCompare(const void* a, const void* b) {
  return StrICompareThenCase(*static_cast<const char* const*>(a),
                             *static_cast<const char* const*>(b));
}
