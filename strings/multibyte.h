// Byte-string operations that respect character boundaries: measuring, cutting, searching and
// comparing whole characters in the six dialog encodings, and editing UTF-8.
//
// enc is a dialog-encoding index (0 HostRoman ... 5 UTF-8; any other index steps byte by byte). In
// indexes 1 to 4 a character is a lead byte followed by a trail byte of that encoding, or any
// other single byte; in UTF-8 a character is the sequence its first byte announces, cut short by
// the terminator. Null reads as the empty string; sizes count the terminator and bounded
// operations always terminate; stepping never passes the terminating zero. Case-insensitive
// comparison folds single bytes through CaseLowerTable (two-byte characters must be identical) and
// compares UTF-8 characters with Utf8CharCompare.
#pragma once

#include "strings/str_array.h"

// ---- Boundaries and cutting ----

// 1 when byte pos of s is the second byte of a two-byte character; 0 for pos <= 0, pos at or past
// the end, or a byte that cannot be a trail byte.
int MbIsTrailPosition(const char* s, int pos, int enc);
// pos when it is at or past the end of s or starts a character; otherwise the index of the first
// byte of the UTF-8 character that byte pos lies in.
int Utf8BackToBoundary(const char* s, int pos);
// Cuts s to at most n bytes without splitting a character; n at or past the end changes nothing,
// a negative n empties s.
void MbTruncate(char* s, int n, int enc);
// Copies at most size-1 bytes of src, never half a character, and terminates; returns the bytes
// copied. Null dst or a size below 1 writes nothing; null src empties dst.
int MbCopyN(char* dst, const char* src, int size, int enc);
// Appends src within size, never half a character; returns the new length. Null dst, null or
// empty src give 0 and change nothing; a dst without room is left as it is.
int MbAppendN(char* dst, const char* src, int size, int enc);
// Appends at most maxCopy bytes of src within size, never half a character; returns the new
// length (0 for null dst).
int MbAppendLimited(char* dst, const char* src, int size, int maxCopy, int enc);
// Appends the character lead (trail, when non-zero) only when it fits whole within size; returns
// the new length. A zero lead gives 0 and changes nothing.
int MbAppendChar(char* dst, int lead, int trail, int size, int enc);
// The number of characters of s (its byte length in HostRoman); null gives 0.
int MbCharCount(const char* s, int enc);

// ---- Searching ----

// The byte index of the first occurrence of needle that starts on a character boundary, or -1;
// a null or empty s or a null needle gives -1, an empty needle 0.
int MbFind(const char* s, const char* needle, int enc);
// The first character of s made of lead and trail (trail 0: a one-byte character), or null.
char* MbFindChar(const char* s, int lead, int trail, int enc);
// The last such character, or null; a zero lead gives null.
char* MbFindLastChar(const char* s, int lead, int trail, int enc);
// The first occurrence in s of the UTF-8 character at ch, or null (null or empty ch: null).
char* Utf8FindChar(const char* s, const char* ch);
// The last occurrence in s of the UTF-8 character at ch, or null.
char* Utf8FindLastChar(const char* s, const char* ch);
// The first character of s that occurs in set, or null (null or empty set: null).
char* Utf8FindFirstOf(const char* s, const char* set);
// strtok for UTF-8 with one saved position for the whole library: a non-null s starts a scan, null
// continues it. Skips leading delimiter characters, zeroes the delimiter that ends the token and
// returns the token; null at the end or with no scan begun. A null or empty delimiter set returns
// the current position as it is.
char* Utf8Tokenize(char* s, const char* delimiters);

// ---- Comparing: 1/0 for tests; orderings as the byte-string ones ----

// Case-insensitive equality, character by character.
int MbIEqual(const char* a, const char* b, int enc);
// MbIEqual over at most n bytes of a, whole characters only; the same pointer twice or n < 1
// gives 1.
int MbIEqualN(const char* a, const char* b, int n, int enc);
// 1 when s begins with prefix, ignoring case.
int MbIHasPrefix(const char* s, const char* prefix, int enc);
// 1 when s ends with suffix ignoring case and the suffix starts on a character boundary of s; an
// empty or null suffix gives 1, a null s or a longer suffix 0.
int MbIHasSuffix(const char* s, const char* suffix, int enc);
// Case-insensitive order: the difference a - b of the first differing character values (two-byte
// characters count lead*256+trail); in UTF-8 the first non-zero Utf8CharCompare, then 1 or -1 for
// the longer string.
int MbICompare(const char* a, const char* b, int enc);
// MbICompare; when it finds no difference, StrCompare.
int MbICompareThenCase(const char* a, const char* b, int enc);
// MbICompareThenCase of *(const char**)a and *(const char**)b.
int MbSortCompare(const void* a, const void* b, int enc);
// Case-sensitive order over at most n bytes of whole characters (UTF-8: code points); n <= 0
// gives 0.
int MbCompareN(const char* a, const char* b, int n, int enc);
// Case-insensitive order over at most n bytes of whole characters; n <= 0 gives 0.
int MbICompareN(const char* a, const char* b, int n, int enc);
// Code-point order: the difference of the first differing code points; a string that ends first
// is smaller.
int Utf8Compare(const char* a, const char* b);
// MbICompare in UTF-8; when it finds no difference, Utf8Compare.
int Utf8ICompareThenCase(const char* a, const char* b);
// Utf8ICompareThenCase of *(const char**)a and *(const char**)b.
int Utf8SortCompare(const void* a, const void* b);
// Case-insensitive order of at most n characters; n <= 0 gives 0.
int Utf8ICompareN(const char* a, const char* b, int n);
// Case-insensitive equality of at most n characters; the same pointer twice or n <= 0 gives 1.
int Utf8IEqualN(const char* a, const char* b, int n);

// ---- UTF-8 editing ----

// Appends the character at ch when it fits whole within size; returns the new length.
int Utf8AppendChar(char* dst, const char* ch, int size);
// Appends at most maxChars characters of src while dst holds fewer than size-1 characters (not
// bytes: dst needs room for four bytes per character); returns the resulting character count.
int Utf8AppendLimited(char* dst, const char* src, int size, int maxChars);
// Copies at most count characters of src and terminates; returns the characters copied.
int Utf8CopyChars(char* dst, const char* src, int count);
// Reverses the order of the first count characters of s (all, if it has fewer), each character's
// bytes kept in order; count <= 1 does nothing. Memory for the copy is a fatal requirement.
void Utf8Reverse(char* s, int count);
// Removes in place every character of s that occurs in set.
void Utf8DeleteChars(char* s, const char* set);
// Removes in place every occurrence of needle at a character boundary, left to right, resuming
// where each removal was; a null or empty needle changes nothing.
void Utf8RemoveAll(char* s, const char* needle);
// Utf8RemoveAll of each item of list, in order; a null list changes nothing.
void Utf8RemoveAllOf(char* s, const StrArray* list);
