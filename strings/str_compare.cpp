// Byte strings: equality, prefixes and suffixes, and ordering, exact and case-insensitive.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "platform/cpu_features.h"
#include "strings/byte_blocks_internal.h"
#include "strings/byte_compare_internal.h"
#include "strings/byte_string.h"
#include "strings/byte_string_internal.h"

namespace {

inline unsigned char Exact(char c) {
  return Byte(c);
}

constexpr int64_t kWhole = INT64_MAX;  // no bound: the terminators stop the comparison

// Non-zero lanes where x and y stop being equal under Map: bytes that differ, for Fold bytes that
// differ other than by the case of an ASCII letter. A block where no lane is set is equal under
// CaseLowerTable too (it lowers exactly 'A' to 'Z' below 0x80 and maps bytes from 0x80 up to bytes
// from 0x80 up); a set lane may still be equal there (accented letters), and the caller asks the
// table.
template <unsigned char (*Map)(char)>
inline Lanes Differences(Lanes x, Lanes y) {
  Lanes d = x ^ y;
  if constexpr (Map == Fold) {
    // 'a' to 'z' become -128 to -103 as signed lanes: one signed comparison finds the letters.
    auto shifted =
        reinterpret_cast<SignedLanes>((x | 0x20) + static_cast<unsigned char>(0x80 - 'a'));
    auto letter = reinterpret_cast<Lanes>(shifted < static_cast<signed char>(-128 + 26));
    d &= ~(letter & 0x20);
  }
  return d;
}

// Set lanes where block x of a and block y of b stop the comparison: a difference under Map, or
// a's terminator.
template <unsigned char (*Map)(char)>
inline Lanes Stops(Lanes x, Lanes y) {
  return Differences<Map>(x, y) | Terminators(x);
}

// Compares at most n bytes mapped through Map (Exact or Fold); the difference of the first mapped
// bytes that differ, or 0. A terminator ends the comparison only where both strings share it.
// One pass over both strings, in blocks as far as neither reaches a page end and single bytes
// where one does.
template <unsigned char (*Map)(char)>
__attribute__((no_sanitize("address"))) int CompareMapped(const char* sa, const char* sb,
                                                          int64_t bound) {
  if (bound <= 0) return 0;
  auto* a = reinterpret_cast<const unsigned char*>(sa);
  auto* b = reinterpret_cast<const unsigned char*>(sb);
  size_t n = static_cast<size_t>(bound);
  size_t i = 0;
  for (;;) {
    // Bytes from i that both pages and the bound hold.
    size_t room = std::min(std::min(PageRest(a + i), PageRest(b + i)), n - i);
    if (room >= kLanes) {
      size_t end = i + room;
      // Most strings end or differ in their first block: it goes first, on its own.
      Lanes stops = Stops<Map>(Load(a + i), Load(b + i));
      while (!AnyLane(stops)) {
        i += kLanes;
        // Four blocks tested together: long equal stretches.
        for (; end - i >= 4 * kLanes; i += 4 * kLanes) {
          Lanes x0 = Load(a + i), x1 = Load(a + i + kLanes);
          Lanes x2 = Load(a + i + 2 * kLanes), x3 = Load(a + i + 3 * kLanes);
          Lanes d = Differences<Map>(x0, Load(b + i)) | Differences<Map>(x1, Load(b + i + kLanes)) |
                    Differences<Map>(x2, Load(b + i + 2 * kLanes)) |
                    Differences<Map>(x3, Load(b + i + 3 * kLanes));
          Lanes low = x0 < x1 ? x0 : x1;
          Lanes high = x2 < x3 ? x2 : x3;
          if (AnyLane(d | Terminators(low < high ? low : high))) break;
        }
        if (end - i < kLanes) break;
        stops = Stops<Map>(Load(a + i), Load(b + i));
      }
      if (end - i < kLanes) continue;  // the room is used up: measure it again
      i += FirstLane(stops);
    } else if (i >= n) {
      return 0;
    }
    // a[i] and b[i] are there: at a stopping lane, or a single step near a page end or the bound.
    int d = Map(static_cast<char>(a[i])) - Map(static_cast<char>(b[i]));
    if (d != 0 || a[i] == 0) return d;
    ++i;
  }
}

// CompareMapped without a bound, with the first block looked at before the loop is entered: most
// strings end or differ there, and this spares short ones the loop's set-up.
template <unsigned char (*Map)(char)>
__attribute__((no_sanitize("address"))) inline int CompareWhole(const char* sa, const char* sb) {
  auto* a = reinterpret_cast<const unsigned char*>(sa);
  auto* b = reinterpret_cast<const unsigned char*>(sb);
  if (PageRest(a) >= kLanes && PageRest(b) >= kLanes) {
    Lanes stops = Stops<Map>(Load(a), Load(b));
    if (AnyLane(stops)) {
      size_t k = FirstLane(stops);
      int d = Map(static_cast<char>(a[k])) - Map(static_cast<char>(b[k]));
      if (d != 0 || a[k] == 0) return d;
    }
  }
  return CompareMapped<Map>(sa, sb, kWhole);
}

constexpr ByteCompareCode kBaselineCode = {CompareWhole<Exact>, CompareMapped<Exact>,
                                           CompareWhole<Fold>, CompareMapped<Fold>};

const ByteCompareCode* ChooseCode() {
  const ByteCompareCode* wide = Avx2ByteCompareCode();
  return wide != nullptr && CpuRunsAvx2() ? wide : &kBaselineCode;
}

extern const ByteCompareCode kChoosingCode;

// The path every comparison takes: first a table that makes the choice, then the chosen one.
// Threads that race to the first call choose alike, so a relaxed store is enough.
std::atomic<const ByteCompareCode*> g_code{&kChoosingCode};

const ByteCompareCode& Code() {
  return *g_code.load(std::memory_order_relaxed);
}

const ByteCompareCode& Chosen() {
  const ByteCompareCode* code = ChooseCode();
  g_code.store(code, std::memory_order_relaxed);
  return *code;
}

const ByteCompareCode kChoosingCode = {
    [](const char* a, const char* b) { return Chosen().compare(a, b); },
    [](const char* a, const char* b, int64_t n) { return Chosen().compareBounded(a, b, n); },
    [](const char* a, const char* b) { return Chosen().compareFolded(a, b); },
    [](const char* a, const char* b, int64_t n) { return Chosen().compareFoldedBounded(a, b, n); }};

template <unsigned char (*Map)(char)>
int HasSuffixMapped(const char* s, const char* suffix) {
  int suffixLength = StrLength(suffix);
  if (suffixLength == 0) return 1;
  int length = StrLength(s);  // a null s is shorter than any non-empty suffix
  if (suffixLength > length) return 0;
  return CompareWhole<Map>(s + length - suffixLength, suffix) == 0 ? 1 : 0;
}

inline bool Skipped(char c) {
  return c == ' ' || c == '-';
}

}  // namespace

int StrEqual(const char* a, const char* b) {
  if (a == b) return 1;
  return Code().compare(OrEmpty(a), OrEmpty(b)) == 0 ? 1 : 0;
}

int StrEqualN(const char* a, const char* b, int n) {
  if (a == b || n < 1) return 1;
  return Code().compareBounded(OrEmpty(a), OrEmpty(b), n) == 0 ? 1 : 0;
}

int StrIEqualN(const char* a, const char* b, int n) {
  if (a == b || n < 1) return 1;
  return Code().compareFoldedBounded(OrEmpty(a), OrEmpty(b), n) == 0 ? 1 : 0;
}

int StrIEqual(const char* a, const char* b) {
  return Code().compareFolded(OrEmpty(a), OrEmpty(b)) == 0 ? 1 : 0;
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
  return length == 0 || Code().compareFoldedBounded(OrEmpty(s), prefix, length) == 0 ? 1 : 0;
}

int StrHasSuffix(const char* s, const char* suffix) {
  return HasSuffixMapped<Exact>(s, suffix);
}

int StrIHasSuffix(const char* s, const char* suffix) {
  return HasSuffixMapped<Fold>(s, suffix);
}

int StrCompare(const char* a, const char* b) {
  return Code().compare(OrEmpty(a), OrEmpty(b));
}

int StrCompareN(const char* a, const char* b, int n) {
  return Code().compareBounded(OrEmpty(a), OrEmpty(b), n);  // n <= 0 compares nothing
}

int StrICompare(const char* a, const char* b) {
  return Code().compareFolded(OrEmpty(a), OrEmpty(b));
}

int StrICompareN(const char* a, const char* b, int n) {
  return Code().compareFoldedBounded(OrEmpty(a), OrEmpty(b), n);
}

int StrICompareThenCase(const char* a, const char* b) {
  a = OrEmpty(a);
  b = OrEmpty(b);
  int folded = Code().compareFolded(a, b);
  return folded != 0 ? folded : Code().compare(a, b);
}

bool ByteCompareUsesWidePath() {
  if (&Code() == &kChoosingCode) Chosen();
  return &Code() != &kBaselineCode;
}

int StrSortCompare(const void* a, const void* b) {
  return StrICompareThenCase(*static_cast<const char* const*>(a),
                             *static_cast<const char* const*>(b));
}
