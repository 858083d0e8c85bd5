// Byte strings: equality, prefixes and suffixes, and ordering, exact and case-insensitive.
#include <cstring>

#include "strings/byte_string.h"
#include "strings/byte_string_internal.h"

namespace {

inline unsigned char Exact(char c) {
  return Byte(c);
}

// Compares at most n bytes mapped through map; the difference of the first mapped bytes that
// differ, or 0. A terminator ends the comparison only where both strings share it.
template <unsigned char (*Map)(char)>
int CompareMapped(const char* a, const char* b, int64_t n) {
  for (int64_t i = 0; i < n; ++i) {
    int d = Map(a[i]) - Map(b[i]);
    if (d != 0) return d;
    if (a[i] == 0) return 0;  // the mapping keeps 0 as 0, so b ends here too
  }
  return 0;
}

constexpr int64_t kWhole = INT64_MAX;  // no bound: the terminators stop the comparison

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
