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

#define TANSEL_COMPARE_TARGET
#include "strings/byte_compare_loop_internal.h"

namespace {

inline unsigned char Exact(char c) {
  return Byte(c);
}

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

// The baseline's blocks for the shared loop: sixteen bytes in the vectors every target has.
template <unsigned char (*MapChar)(char)>
struct BaselineBlocks {
  static constexpr size_t kWidth = kLanes;
  static Lanes Load(const unsigned char* p) { return ::Load(p); }
  static Lanes Kept(Lanes x, Lanes y) {
    return reinterpret_cast<Lanes>(Differences<MapChar>(x, y) == 0) & x;
  }
  static Lanes Min(Lanes x, Lanes y) { return x < y ? x : y; }
  static bool HasZero(Lanes v) { return AnyLane(Terminators(v)); }
  static size_t FirstZero(Lanes k0, Lanes k1, Lanes k2, Lanes k3) {
    if (HasZero(k0)) return FirstLane(Terminators(k0));
    if (HasZero(k1)) return kLanes + FirstLane(Terminators(k1));
    if (HasZero(k2)) return 2 * kLanes + FirstLane(Terminators(k2));
    return 3 * kLanes + FirstLane(Terminators(k3));
  }
  static Lanes Stops(Lanes x, Lanes y) { return Terminators(Kept(x, y)); }
  static bool Any(Lanes m) { return AnyLane(m); }
  static size_t First(Lanes m) { return FirstLane(m); }
  // The block that ends where the room does, its lanes before a and b masked off: they hold bytes
  // already compared, inside both strings.
  __attribute__((no_sanitize("address"))) static bool Tail(const unsigned char* a,
                                                           const unsigned char* b, size_t before,
                                                           size_t room, size_t* step) {
    size_t back = kLanes - room;
    if (before < back || PageRest(a - back) < kLanes || PageRest(b - back) < kLanes) return false;
    constexpr Lanes kIndex = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    Lanes stops = Stops(::Load(a - back), ::Load(b - back)) &
                  reinterpret_cast<Lanes>(kIndex >= static_cast<unsigned char>(back));
    if (!AnyLane(stops)) {
      *step = room;
      return false;
    }
    *step = FirstLane(stops) - back;
    return true;
  }
  static unsigned char Map(unsigned char c) { return MapChar(static_cast<char>(c)); }
};

constexpr ByteCompareCode kBaselineCode = {
    CompareWholeBlocks<BaselineBlocks<Exact>>, CompareBlocks<BaselineBlocks<Exact>>,
    CompareWholeBlocks<BaselineBlocks<Fold>>, CompareBlocks<BaselineBlocks<Fold>>};

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

int ChooseThenCompare(const char* a, const char* b);

// The chosen path's plain comparison, the one called most, kept where one load reaches it.
std::atomic<int (*)(const char*, const char*)> g_compare{ChooseThenCompare};

const ByteCompareCode& Chosen() {
  const ByteCompareCode* code = ChooseCode();
  g_compare.store(code->compare, std::memory_order_relaxed);
  g_code.store(code, std::memory_order_relaxed);
  return *code;
}

int ChooseThenCompare(const char* a, const char* b) {
  return Chosen().compare(a, b);
}

const ByteCompareCode kChoosingCode = {
    ChooseThenCompare,
    [](const char* a, const char* b, int64_t n) { return Chosen().compareBounded(a, b, n); },
    [](const char* a, const char* b) { return Chosen().compareFolded(a, b); },
    [](const char* a, const char* b, int64_t n) { return Chosen().compareFoldedBounded(a, b, n); }};

template <unsigned char (*Map)(char)>
int HasSuffixMapped(const char* s, const char* suffix) {
  int suffixLength = StrLength(suffix);
  if (suffixLength == 0) return 1;
  int length = StrLength(s);  // a null s is shorter than any non-empty suffix
  if (suffixLength > length) return 0;
  return CompareWholeBlocks<BaselineBlocks<Map>>(s + length - suffixLength, suffix) == 0 ? 1 : 0;
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
  // Each path looks at the strings' first block itself, where most of them end or differ.
  return g_compare.load(std::memory_order_relaxed)(OrEmpty(a), OrEmpty(b));
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
