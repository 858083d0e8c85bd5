// Collation with ICU. Each setting has one collator, opened on first use and kept for the life of
// the library: opening one costs far more than a comparison, and the answers do not depend on it.
#include "strings/collation.h"

#include <unicode/ucol.h>

#include "strings/utf8.h"

namespace {

// A collator for the default locale at strength, normalisation on or off; null when ICU cannot
// open or set one up (a collator that failed half-way is closed; warnings are no failure). A
// failure is not remembered, so the next call tries again.
UCollator* CachedCollator(UCollator*& slot, UCollationStrength strength, bool normalize) {
  if (slot != nullptr) return slot;
  UErrorCode error = U_ZERO_ERROR;
  UCollator* collator = ucol_open(nullptr, &error);
  if (U_FAILURE(error)) {
    ucol_close(collator);
    return nullptr;
  }
  ucol_setStrength(collator, strength);
  if (normalize) ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &error);
  if (U_FAILURE(error)) {
    ucol_close(collator);
    return nullptr;
  }
  slot = collator;
  return slot;
}

UCollator* g_charCollator = nullptr;       // secondary, for single characters
UCollator* g_secondaryCollator = nullptr;  // secondary, normalising
UCollator* g_tertiaryCollator = nullptr;   // tertiary, normalising

int Sign(UCollationResult result) {
  return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

// Text that is not valid UTF-8 converts to "???" before it is compared, as everywhere else in the
// library; valid text is compared as it stands, which gives the collator the same units a
// conversion to UTF-16 would. The collator is given both lengths, which the check has found.
struct Comparable {
  const char* text;
  int32_t length;
};

Comparable ComparableOf(const char* s) {
  if (s == nullptr) return {"", 0};
  int length = Utf8ValidLength(s);
  return length >= 0 ? Comparable{s, length} : Comparable{"???", 3};
}

int CollateStrings(UCollator* collator, const char* a, const char* b) {
  if (collator == nullptr) return 0;
  UErrorCode error = U_ZERO_ERROR;
  Comparable left = ComparableOf(a);
  Comparable right = ComparableOf(b);
  UCollationResult result =
      ucol_strcollUTF8(collator, left.text, left.length, right.text, right.length, &error);
  return U_FAILURE(error) ? 0 : Sign(result);
}

}  // namespace

int Utf8CharCompare(const char* a, const char* b) {
  UCollator* collator = CachedCollator(g_charCollator, UCOL_SECONDARY, false);
  if (collator == nullptr) return 0;
  char16_t left[3] = {};
  char16_t right[3] = {};
  Utf8ToUtf16(a != nullptr ? a : "", left);
  Utf8ToUtf16(b != nullptr ? b : "", right);
  return Sign(ucol_strcoll(collator, left, -1, right, -1));
}

int Utf8CollateTertiary(const char* a, const char* b) {
  return CollateStrings(CachedCollator(g_tertiaryCollator, UCOL_TERTIARY, true), a, b);
}

int Utf8CollateSecondary(const char* a, const char* b) {
  return CollateStrings(CachedCollator(g_secondaryCollator, UCOL_SECONDARY, true), a, b);
}
