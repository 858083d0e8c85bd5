// Collation with ICU. Each setting has one collator, opened on first use and kept while ICU's
// default locale stays the same: opening one costs far more than a comparison.
#include "strings/collation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <cstdio>
#include <cstring>

#include "strings/utf8.h"

namespace {

// One cached collator and the default locale it was opened for: the name, and the pointer
// uloc_getDefault returned. ICU keeps one locale object per default locale name for as long as ICU
// lives (closing it down needs every collator closed first, ours too), so the same pointer means
// the same name and is checked before the name.
struct CollatorSlot {
  UCollator* collator = nullptr;
  const char* localePointer = nullptr;
  char locale[ULOC_FULLNAME_CAPACITY] = {};
};

// A collator for ICU's current default locale at strength, normalisation on or off; null when ICU
// cannot open or set one up (a collator that failed half-way is closed; warnings are no failure).
// When the default locale has changed since the cached one was opened, that one is replaced. A
// failure is not remembered, so the next call tries again.
UCollator* CachedCollator(CollatorSlot& slot, UCollationStrength strength, bool normalize) {
  const char* locale = uloc_getDefault();
  if (slot.collator != nullptr) {
    if (locale == slot.localePointer) return slot.collator;
    if (std::strcmp(slot.locale, locale) == 0) {
      slot.localePointer = locale;
      return slot.collator;
    }
  }
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
  ucol_close(slot.collator);
  slot.collator = collator;
  std::snprintf(slot.locale, sizeof slot.locale, "%s", locale);
  slot.localePointer = locale;
  return collator;
}

CollatorSlot g_charCollator;       // secondary, for single characters
CollatorSlot g_secondaryCollator;  // secondary, normalising
CollatorSlot g_tertiaryCollator;   // tertiary, normalising

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
