// NUL-terminated byte strings in the host's single-byte encoding (HostRoman by default): the
// library's own replacements for the C run-time string functions.
//
// A null string reads as the empty string; an operation that writes to a null destination does
// nothing and returns 0. A buffer size counts the terminating zero (size n admits n-1 bytes) and
// bounded operations always leave the destination terminated; a size of 0 or less writes nothing.
// Case-insensitive operations fold both bytes through CaseLowerTable; no locale is consulted.
// Strings the library allocates are released by the caller with MemFree.
#pragma once

#include <cstdint>

// ---- Allocation and copying ----

// A new zero-filled buffer of n+1 bytes; null when memory is short or n is negative.
char* StrAlloc(int n);
// A new copy of s; null for a null s or when memory is short.
char* StrCopyNew(const char* s);
// The number of bytes before the terminator; null gives 0.
int StrLength(const char* s);
// As StrLength, but at most max (and never reading beyond it); max <= 0 gives 0.
int StrLengthN(const char* s, int max);
// Copies src and its terminator to dst; null src empties dst.
void StrCopy(char* dst, const char* src);
// Copies at most size-1 bytes of src and terminates; returns the bytes copied. src needs no
// terminator within those bytes (a field filled to its end will do).
int StrCopyN(char* dst, const char* src, int size);
// Cuts s at index n; an n outside the string (negative or past its end) changes nothing.
void StrTruncate(char* s, int n);

// ---- Appending: each returns the resulting length of dst ----

// Appends all of src.
int StrAppend(char* dst, const char* src);
// Appends bytes of src while dst holds fewer than size-1 bytes; src needs no terminator within
// the bytes appended.
int StrAppendN(char* dst, const char* src, int size);
// Appends at most maxCopy bytes of src, the total bounded by size; a dst already holding size-1 or
// more bytes is cut to size-1, and size 1 empties dst.
int StrAppendLimited(char* dst, const char* src, int maxCopy, int size);
// Appends the byte ch when dst holds fewer than size-1 bytes.
int StrAppendChar(char* dst, int ch, int size);
// Appends value in decimal, as StrAppendN does.
int StrAppendInt(char* dst, int value, int size);

// ---- Comparing: 1 for true, 0 for false unless stated ----

// Byte-for-byte equality.
int StrEqual(const char* a, const char* b);
// Equality of the first n bytes; the same pointer twice or n < 1 gives 1.
int StrEqualN(const char* a, const char* b, int n);
// Case-insensitive StrEqualN.
int StrIEqualN(const char* a, const char* b, int n);
// Case-insensitive equality.
int StrIEqual(const char* a, const char* b);
// Case-insensitive equality that skips every space and '-' in both ("Shift-JIS" = "shift jis").
int StrIEqualLoose(const char* a, const char* b);
// 1 when s begins with prefix; an empty prefix always matches.
int StrHasPrefix(const char* s, const char* prefix);
// 1 when the first n bytes of prefix (fewer if it is shorter) begin s.
int StrHasPrefixN(const char* s, const char* prefix, int n);
// Case-insensitive StrHasPrefix.
int StrIHasPrefix(const char* s, const char* prefix);
// 1 when s ends with suffix; an empty or null suffix gives 1, a null s otherwise 0.
int StrHasSuffix(const char* s, const char* suffix);
// Case-insensitive StrHasSuffix.
int StrIHasSuffix(const char* s, const char* suffix);
// The difference a - b of the first differing bytes, taken unsigned; 0 when equal.
int StrCompare(const char* a, const char* b);
// StrCompare over at most n bytes; n <= 0 gives 0.
int StrCompareN(const char* a, const char* b, int n);
// The difference of the folded values of the first bytes that differ after folding.
int StrICompare(const char* a, const char* b);
// StrICompare over at most n bytes; n <= 0 gives 0.
int StrICompareN(const char* a, const char* b, int n);
// Case-insensitive order, ties broken by the exact bytes: "abc" < "ABD", "Abc" < "abc".
int StrICompareThenCase(const char* a, const char* b);
// StrICompareThenCase of *(const char**)a and *(const char**)b, for qsort over string arrays.
int StrSortCompare(const void* a, const void* b);

// ---- Searching and editing ----

// The first byte of s equal to ch, or null; ch 0 gives null.
char* StrFindChar(const char* s, int ch);
// The last byte of s equal to ch, or null; ch 0 gives null.
char* StrFindLastChar(const char* s, int ch);
// The index of the first occurrence of needle in s, or -1; a null s or needle, or an empty s,
// gives -1, an empty needle 0.
int StrFind(const char* s, const char* needle);
// Case-insensitive StrFind.
int StrIFind(const char* s, const char* needle);
// Removes in place every byte of s that occurs in set.
void StrDeleteChars(char* s, const char* set);
// Replaces trailing spaces (0x20 only) by zeros.
void StrTrimTrailing(char* s);
// Moves the text left over its leading spaces (0x20 only).
void StrTrimLeading(char* s);
// Reverses the first min(size, length) bytes in place; size <= 1 does nothing.
void StrReverse(char* s, int size);

// ---- Numbers: leading white space skipped, conversion stops at the first byte that does not fit;
// null gives 0 ----

// The decimal int at the start of s; out-of-range values saturate.
int StrToInt(const char* s);
// The decimal 64-bit integer at the start of s; out-of-range values saturate.
int64_t StrToInt64(const char* s);
// The floating-point number at the start of s ('.' as decimal point).
double StrToDouble(const char* s);

// ---- HostRoman special characters and escapes ----

// A new string in which backslash escapes became HostRoman special characters: \t 08; \r, \n,
// \h 09; \p, \P 0A; \- 04; \_ 05; \# 10; "\ " 11; \i 12; \N 13; \M 14; \+ 15; \s 20; any other
// byte after a backslash stands for itself. At most 1023 bytes; a trailing backslash ends the text.
char* StrUnescape(const char* s);
// A new string in which every special byte and every space became its escape and a backslash
// became two; at most 1023 bytes, never half an escape. Null when memory is short.
char* StrEscape(const char* s);
// In place: 08 -> tab, 09 -> line feed, 10-14 -> space, 15 -> '-'; other bytes stay.
void StrRomanControlsToAscii(char* s);
// In place: tab -> 08, line feed -> 09; other bytes stay. Returns 0.
int StrAsciiControlsToRoman(char* s);
// For a hexadecimal digit stores its value in *out and returns 1; otherwise stores 0, returns 0.
int StrHexDigitValue(int ch, int* out);
// Decodes in place every "%xHH" or "%XHH" group into the byte HH; other '%' stay as they are.
void StrDecodeHexEscapes(char* s);
