// Code points in UTF-8 and UTF-16: decoding, encoding, stepping and validity. A character pointer
// addresses the first byte of a UTF-8 character; output buffers hold at least 4 bytes or 2 units.
// UTF-16 text is 16-bit units in the machine's byte order ending in a zero unit.
//
// Validity is deliberately permissive: a character below 0x80 is one byte, any other must start
// with 0xC2-0xF4 and carry the continuation bytes (0x80-0xBF) its length needs; overlong three- and
// four-byte forms, encoded surrogates and values above U+10FFFF pass. Decoding and stepping never
// read past a terminating zero.
#pragma once

#include <cstdint>

// The code point at p. Lead bytes C0-DF take one following byte, E0-EF two, F0-F7 three, without
// checking that they are continuation bytes; a lone 0x80-0xBF decodes to itself. A sequence cut
// short by the terminating zero, a lead byte F8-FF and a negative result give U+FFFD; null gives 0.
int32_t Utf8Decode(const char* p);
// Writes code point as 1 to 4 bytes (up to 0x1FFFFF; above, U+FFFD) after clearing out[0..3];
// returns the byte count, 0 for null out.
int Utf8Encode(int32_t codePoint, char* out);
// Writes code point as one unit (U+FFFD for D800-DFFF and above U+10FFFF) or a surrogate pair
// after clearing out[0..1]; returns the unit count, 0 for null out.
int Utf16FromCodePoint(int32_t codePoint, char16_t* out);
// The UTF-8 of the unit or surrogate pair at p (an unpaired surrogate as its own value), written
// without clearing out; returns the byte count.
int Utf16ToUtf8(const char16_t* p, char* out);
// Utf8Decode, then Utf16FromCodePoint; returns the unit count.
int Utf8ToUtf16(const char* p, char16_t* out);
// The code point of the unit or surrogate pair at p; an unpaired surrogate yields its own value.
int32_t Utf16Decode(const char16_t* p);
// The length of the character a byte starts: C2-DF 2, E0-EF 3, F0-F4 4, every other byte 1.
int Utf8SequenceLength(unsigned char byte);
// Advances p over the character it addresses, stopping early at a terminating zero (and not
// moving from one).
void Utf8Next(const char*& p);
void Utf8Next(char*& p);
// 1 for a continuation byte 0x80-0xBF.
int Utf8IsContinuation(unsigned char byte);
// 1 for a lead byte 0xC2-0xF4.
int Utf8IsLeadByte(unsigned char byte);
// 1 for a byte below 0x80.
int Utf8IsSingleByte(unsigned char byte);
// 1 for valid (or empty) text, 0 for null or invalid text.
int Utf8IsValid(const char* s);
// The byte length of s when Utf8IsValid holds for it, else -1 (null gives -1).
int Utf8ValidLength(const char* s);
// The length of the valid character at p; 0 for null, an empty string, a bad first byte or a
// missing continuation byte.
int Utf8CharLength(const char* p);
// Cuts s at its first invalid character; returns the index of the last byte kept (−1 when nothing
// is kept), 0 for null.
int Utf8CutInvalid(char* s);
// The number of units before the zero unit; 0 for null.
int32_t UStrLength(const char16_t* s);
// Advances p by one unit and returns the new position.
const char16_t* UStrNext(const char16_t*& p);
// The units of a UTF-16 character as this library steps them: always 1.
int UStrCharLength(char16_t unit);
