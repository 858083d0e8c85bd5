// Character properties from ICU: case, letters and digits of code points and of UTF-8 characters,
// and numbers read from text whose digits may come from any script.
#pragma once

#include <cstdint>

// ICU's simple case mappings and property tests of a code point (the tests answer 1 or 0).
int32_t CharToLower(int32_t codePoint);
int32_t CharToUpper(int32_t codePoint);
int CharIsLower(int32_t codePoint);
int CharIsUpper(int32_t codePoint);
int CharIsAlpha(int32_t codePoint);
int CharIsDigit(int32_t codePoint);
int CharIsAlnum(int32_t codePoint);

// Decodes the UTF-8 character at p, maps its case and writes the UTF-8 of the result to out (at
// least 4 bytes, cleared first); returns the byte count.
int Utf8ToLower(const char* p, char* out);
int Utf8ToUpper(const char* p, char* out);
// The property tests of the UTF-8 character at p.
int Utf8IsLower(const char* p);
int Utf8IsUpper(const char* p);
int Utf8IsAlpha(const char* p);
int Utf8IsDigit(const char* p);
int Utf8IsAlnum(const char* p);
// The decimal digit value of the UTF-8 character at p; −1 when it is no digit.
int Utf8DigitValue(const char* p);

// Replaces in place every decimal digit of any script by the ASCII digit of its value; other
// characters stay as they are. Null is ignored.
void Utf8NormalizeDigits(char* s);
// The C run-time's atoi of a digit-normalised copy of s, saturating at the limits of int; 0 for
// null.
int Utf8ToInt(const char* s);
// The C run-time's atof of a digit-normalised copy of s; 0 for null.
double Utf8ToDouble(const char* s);
