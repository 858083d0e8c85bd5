// Collation with ICU. Each setting has one collator, opened on first use and kept until the
// default locale is changed through Utf8SetDefaultLocale: opening one costs far more than a
// comparison.
//
// Asking ICU for its default locale on every call would take ICU's lock (and compare names), which
// costs as much as the comparison of a short word. The library's own count of locale changes is
// read instead: one load on the fast path. A change made directly through ICU is therefore seen
// only by collators not yet opened; plug-ins change the locale through Utf8SetDefaultLocale.
#include "strings/collation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <cstdint>

#include "strings/utf8.h"
#include "strings/utf8_valid_internal.h"

namespace {

// Changes of the default locale made through Utf8SetDefaultLocale; a collator opened before the
// latest one is replaced on its next use.
uint32_t g_localeChanges = 0;

// One cached collator and the count of locale changes when it was opened.
struct CollatorSlot {
  UCollator* collator = nullptr;
  uint32_t localeChanges = 0;
};

// Opens the collator of slot for ICU's current default locale at strength, normalisation on or off,
// replacing the one it held; null when ICU cannot open or set one up (a collator that failed
// half-way is closed; warnings are no failure). A failure is not remembered, so the next call tries
// again.
[[gnu::noinline]] UCollator* OpenCollator(CollatorSlot& slot, UCollationStrength strength,
                                          bool normalize) {
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
  slot.localeChanges = g_localeChanges;
  return collator;
}

// The collator of slot, opened again when the default locale has changed since.
inline UCollator* CachedCollator(CollatorSlot& slot, UCollationStrength strength, bool normalize) {
  if (slot.collator != nullptr && slot.localeChanges == g_localeChanges) [[likely]] {
    return slot.collator;
  }
  return OpenCollator(slot, strength, normalize);
}

CollatorSlot g_charCollator;       // secondary, for single characters
CollatorSlot g_secondaryCollator;  // secondary, normalising
CollatorSlot g_tertiaryCollator;   // tertiary, normalising

// ICU's results are the signs themselves.
static_assert(UCOL_LESS == -1 && UCOL_EQUAL == 0 && UCOL_GREATER == 1);
inline int Sign(UCollationResult result) {
  return static_cast<int>(result);
}

// Text that is not valid UTF-8 converts to "???" before it is compared, as everywhere else in the
// library; valid text is compared as it stands, which gives the collator the same units a
// conversion to UTF-16 would. The collator finds the ends itself: ICU compares UTF-8 faster
// given -1 than given the lengths.
inline const char* ComparableOf(const char* s) {
  if (s == nullptr) return "";
  int length = ShortValidLength(reinterpret_cast<const unsigned char*>(s));
  if (length == -2) length = Utf8ValidLength(s);
  return length >= 0 ? s : "???";
}

// ICU's comparison of what a and b compare as; 0 when it fails.
[[gnu::noinline]] int CollateComparable(UCollator* collator, const char* a, const char* b) {
  UErrorCode error = U_ZERO_ERROR;
  UCollationResult result =
      ucol_strcollUTF8(collator, ComparableOf(a), -1, ComparableOf(b), -1, &error);
  return U_FAILURE(error) ? 0 : Sign(result);
}

// Two short valid words, the daily bread, go to ICU from a function that keeps nothing across the
// call but the error code; everything else takes the general road.
int CollateStrings(UCollator* collator, const char* a, const char* b) {
  if (collator == nullptr) return 0;
  auto* ua = reinterpret_cast<const unsigned char*>(a);
  auto* ub = reinterpret_cast<const unsigned char*>(b);
  if (a == nullptr || b == nullptr || ShortValidLength(ua) < 0 || ShortValidLength(ub) < 0)
      [[unlikely]] {
    return CollateComparable(collator, a, b);
  }
  UErrorCode error = U_ZERO_ERROR;
  UCollationResult result = ucol_strcollUTF8(collator, a, -1, b, -1, &error);
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

namespace {

// Opens slot's collator, then compares: apart from the comparison itself, so that the kept
// collator's road calls nothing else.
[[gnu::noinline]] int OpenThenCollate(CollatorSlot& slot, UCollationStrength strength,
                                      const char* a, const char* b) {
  return CollateStrings(OpenCollator(slot, strength, true), a, b);
}

inline int CollateWith(CollatorSlot& slot, UCollationStrength strength, const char* a,
                       const char* b) {
  if (slot.collator == nullptr || slot.localeChanges != g_localeChanges) [[unlikely]] {
    return OpenThenCollate(slot, strength, a, b);
  }
  return CollateStrings(slot.collator, a, b);
}

}  // namespace

int Utf8CollateTertiary(const char* a, const char* b) {
  return CollateWith(g_tertiaryCollator, UCOL_TERTIARY, a, b);
}

int Utf8CollateSecondary(const char* a, const char* b) {
  return CollateWith(g_secondaryCollator, UCOL_SECONDARY, a, b);
}

int Utf8SetDefaultLocale(const char* locale) {
  UErrorCode error = U_ZERO_ERROR;
  uloc_setDefault(locale, &error);
  ++g_localeChanges;  // also after a failure: ICU may have changed its default half-way
  return U_FAILURE(error) ? -1 : 0;
}
