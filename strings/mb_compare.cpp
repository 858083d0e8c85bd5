// Comparing multibyte text character by character, with and without case.
#include <cstring>

#include "strings/byte_string.h"
#include "strings/collation.h"
#include "strings/mb_internal.h"
#include "strings/multibyte.h"

namespace {

// The value a character of one of the double-byte encodings compares by: lead*256+trail for two
// bytes, else the byte (folded when ignoring case); 0 at the terminator.
int CharValue(const char* p, int n, bool fold) {
  if (n == 0) return 0;
  if (n == 2) return Byte(p[0]) * 256 + Byte(p[1]);
  return fold ? Fold(p[0]) : Byte(p[0]);
}

// Orders two characters that are both present.
int CompareChars(const Stepper& st, const char* a, int na, const char* b, int nb, bool fold) {
  if (!st.utf8) return CharValue(a, na, fold) - CharValue(b, nb, fold);
  if (!fold) return Utf8Decode(a) - Utf8Decode(b);
  // Identical bytes collate equal; the collator is asked only about characters that differ.
  if (na == nb && std::memcmp(a, b, static_cast<size_t>(na)) == 0) return 0;
  return Utf8CharCompare(a, b);
}

enum class Limit { kNone, kBytes, kChars };

// Walks a and b a character at a time until they differ or end, or until limit bytes of a (or
// limit characters) have been compared. A string that ends first is smaller.
int Compare(const char* a, const char* b, int enc, bool fold, Limit kind, int limit) {
  a = OrEmpty(a);
  b = OrEmpty(b);
  Stepper st = StepperFor(enc);
  for (int used = 0; kind == Limit::kNone || used < limit;) {
    int na = CharLength(st, a);
    int nb = CharLength(st, b);
    if (na == 0 || nb == 0) {
      if (!st.utf8) return CharValue(a, na, fold) - CharValue(b, nb, fold);
      return na != 0 ? 1 : nb != 0 ? -1 : 0;
    }
    int difference = CompareChars(st, a, na, b, nb, fold);
    if (difference != 0) return difference;
    used += kind == Limit::kChars ? 1 : na;
    a += na;
    b += nb;
  }
  return 0;
}

const char* Pointee(const void* ref) {
  return ref != nullptr ? *static_cast<const char* const*>(ref) : nullptr;
}

}  // namespace

int MbIEqual(const char* a, const char* b, int enc) {
  return Compare(a, b, enc, true, Limit::kNone, 0) == 0 ? 1 : 0;
}

int MbIEqualN(const char* a, const char* b, int n, int enc) {
  if (a == b || n < 1) return 1;
  return Compare(a, b, enc, true, Limit::kBytes, n) == 0 ? 1 : 0;
}

int MbIHasPrefix(const char* s, const char* prefix, int enc) {
  return MbIEqualN(s, prefix, StrLength(prefix), enc);
}

int MbIHasSuffix(const char* s, const char* suffix, int enc) {
  int suffixLength = StrLength(suffix);
  if (suffixLength == 0) return 1;
  if (s == nullptr) return 0;
  int start = StrLength(s) - suffixLength;
  if (start < 0) return 0;
  Stepper st = StepperFor(enc);
  int i = 0;
  while (i < start) i += CharLength(st, s + i);
  if (i != start) return 0;  // the suffix would begin inside a character
  return MbIEqual(s + start, suffix, enc);
}

int MbICompare(const char* a, const char* b, int enc) {
  return Compare(a, b, enc, true, Limit::kNone, 0);
}

int MbICompareThenCase(const char* a, const char* b, int enc) {
  int order = MbICompare(a, b, enc);
  return order != 0 ? order : StrCompare(a, b);
}

int MbSortCompare(const void* a, const void* b, int enc) {
  return MbICompareThenCase(Pointee(a), Pointee(b), enc);
}

int MbCompareN(const char* a, const char* b, int n, int enc) {
  if (n <= 0) return 0;
  return Compare(a, b, enc, false, Limit::kBytes, n);
}

int MbICompareN(const char* a, const char* b, int n, int enc) {
  if (n <= 0) return 0;
  return Compare(a, b, enc, true, Limit::kBytes, n);
}

int Utf8Compare(const char* a, const char* b) {
  return Compare(a, b, kDialogUtf8, false, Limit::kNone, 0);
}

int Utf8ICompareThenCase(const char* a, const char* b) {
  int order = MbICompare(a, b, kDialogUtf8);
  return order != 0 ? order : Utf8Compare(a, b);
}

int Utf8SortCompare(const void* a, const void* b) {
  return Utf8ICompareThenCase(Pointee(a), Pointee(b));
}

int Utf8ICompareN(const char* a, const char* b, int n) {
  if (n <= 0) return 0;
  return Compare(a, b, kDialogUtf8, true, Limit::kChars, n);
}

int Utf8IEqualN(const char* a, const char* b, int n) {
  if (a == b || n <= 0) return 1;
  return Utf8ICompareN(a, b, n) == 0 ? 1 : 0;
}
