// Collation of UTF-8 characters and strings with ICU's collator for the default locale. Results
// are −1, 0 or 1 for less, equal, greater; a null argument reads as the empty string.
//
// The collators are opened on first use, for ICU's default locale then, and kept: change the
// locale with Utf8SetDefaultLocale, which they follow from their next call. A default locale set
// directly with ICU's uloc_setDefault reaches only collators not opened yet.
#pragma once

// Compares the characters at a and b at secondary strength (blind to case, not to accents); 0 when
// no collator can be opened.
int Utf8CharCompare(const char* a, const char* b);
// Compares two strings at tertiary strength with normalisation on; invalid UTF-8 compares as
// "???"; 0 when no collator can be opened.
int Utf8CollateTertiary(const char* a, const char* b);
// As Utf8CollateTertiary at secondary strength.
int Utf8CollateSecondary(const char* a, const char* b);
// Makes locale ICU's default locale (uloc_setDefault; null: the one the environment gives) and
// has the collations above use it from their next call: 0, or -1 when ICU refuses it.
int Utf8SetDefaultLocale(const char* locale);
