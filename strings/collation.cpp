// Collation with ICU. Each setting has its collators, opened on first use and kept until the
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

// One cached collator and the count of locale changes when it was opened; a slot that has held
// none has a count the library's never reaches (not in four billion changes), so that a current
// count alone tells a collator is there.
struct CollatorSlot {
  UCollator* collator = nullptr;
  uint32_t localeChanges = UINT32_MAX;
};

// Opens the collator of slot for ICU's current default locale at strength, normalisation on, off
// or as the locale has it (UCOL_DEFAULT), replacing the one it held; null when ICU cannot open or
// set one up (a collator that failed half-way is closed; warnings are no failure). A failure is not
// remembered, so the next call tries again.
[[gnu::noinline]] UCollator* OpenCollator(CollatorSlot& slot, UCollationStrength strength,
                                          UColAttributeValue normalization) {
  UErrorCode error = U_ZERO_ERROR;
  UCollator* collator = ucol_open(nullptr, &error);
  if (U_FAILURE(error)) {
    ucol_close(collator);
    return nullptr;
  }
  ucol_setStrength(collator, strength);
  ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, normalization, &error);
  if (U_FAILURE(error)) {
    ucol_close(collator);
    return nullptr;
  }
  ucol_close(slot.collator);
  slot.collator = collator;
  slot.localeChanges = g_localeChanges;
  return collator;
}

inline bool IsCurrent(const CollatorSlot& slot) {
  return slot.localeChanges == g_localeChanges;
}

// The collator of slot, opened again when the default locale has changed since.
inline UCollator* CachedCollator(CollatorSlot& slot, UCollationStrength strength,
                                 UColAttributeValue normalization) {
  if (IsCurrent(slot)) [[likely]]
    return slot.collator;
  return OpenCollator(slot, strength, normalization);
}

CollatorSlot g_charCollator;  // secondary, for single characters

// A string collation's two collators at its strength: one normalising, for any text, and one that
// is not, for plain text: ASCII, Latin (U+0080 to U+02FF), Greek and Cyrillic (U+0380 to U+047F).
// Each of these characters' canonical decompositions starts with a character of combining class 0,
// so text of them alone is in FCD form, which a collator orders the same without checking it for
// normalisation: a quarter faster where ICU's own road for Latin text does not serve (Greek and
// Cyrillic words, the POSIX locale).
struct StringCollators {
  UCollationStrength strength;
  CollatorSlot plain;
  CollatorSlot normalizing;
};
StringCollators g_secondary = {UCOL_SECONDARY, {}, {}};
StringCollators g_tertiary = {UCOL_TERTIARY, {}, {}};

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

// Whether a and b are both short plain words: valid, of ASCII and plain two-byte characters, each
// one's terminator in its first block (neither null).
inline bool BothShortPlain(const char* a, const char* b) {
  auto plainLeads = [](Lanes x) { return LanesWithin<0xC2, 0xCB>(x) | LanesWithin<0xCE, 0xD1>(x); };
  return ShortTwoByteLength(reinterpret_cast<const unsigned char*>(a), plainLeads) >= 0 &&
         ShortTwoByteLength(reinterpret_cast<const unsigned char*>(b), plainLeads) >= 0;
}

// ICU's comparison of a and b with collator; 0 when it fails.
inline int CollateWith(UCollator* collator, const char* a, const char* b) {
  UErrorCode error = U_ZERO_ERROR;
  UCollationResult result = ucol_strcollUTF8(collator, a, -1, b, -1, &error);
  return U_FAILURE(error) ? 0 : Sign(result);
}

// The general road: what a and b compare as, with the normalising collator; 0 when it cannot be
// opened.
[[gnu::noinline]] int CollateGeneral(StringCollators& collators, const char* a, const char* b) {
  UCollator* collator = CachedCollator(collators.normalizing, collators.strength, UCOL_ON);
  return collator != nullptr ? CollateWith(collator, ComparableOf(a), ComparableOf(b)) : 0;
}

int OpenThenCollate(StringCollators& collators, const char* a, const char* b);

// Two short plain words, the daily bread, go to ICU from a function that keeps nothing across the
// call but the error code; everything else takes the general road.
inline int CollateStrings(StringCollators& collators, const char* a, const char* b) {
  if (!IsCurrent(collators.plain)) [[unlikely]] {
    return OpenThenCollate(collators, a, b);
  }
  // A null pointer is no short word (it starts a page).
  if (!BothShortPlain(a, b)) [[unlikely]] {
    return CollateGeneral(collators, a, b);
  }
  return CollateWith(collators.plain.collator, a, b);
}

// Opens the plain collator, then compares (on the general road when it cannot be opened): apart
// from the comparison, so that the kept collator's road calls nothing else.
[[gnu::noinline]] int OpenThenCollate(StringCollators& collators, const char* a, const char* b) {
  if (OpenCollator(collators.plain, collators.strength, UCOL_OFF) == nullptr) {
    return CollateGeneral(collators, a, b);
  }
  return CollateStrings(collators, a, b);
}

}  // namespace

int Utf8CharCompare(const char* a, const char* b) {
  UCollator* collator = CachedCollator(g_charCollator, UCOL_SECONDARY, UCOL_DEFAULT);
  if (collator == nullptr) return 0;
  char16_t left[3] = {};
  char16_t right[3] = {};
  Utf8ToUtf16(a != nullptr ? a : "", left);
  Utf8ToUtf16(b != nullptr ? b : "", right);
  return Sign(ucol_strcoll(collator, left, -1, right, -1));
}

int Utf8CollateTertiary(const char* a, const char* b) {
  return CollateStrings(g_tertiary, a, b);
}

int Utf8CollateSecondary(const char* a, const char* b) {
  return CollateStrings(g_secondary, a, b);
}

int Utf8SetDefaultLocale(const char* locale) {
  UErrorCode error = U_ZERO_ERROR;
  uloc_setDefault(locale, &error);
  ++g_localeChanges;  // also after a failure: ICU may have changed its default half-way
  return U_FAILURE(error) ? -1 : 0;
}
