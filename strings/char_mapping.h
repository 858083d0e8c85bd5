// One-byte mappings between HostRoman and its neighbours, each a lookup in the table of the same
// name (strings/char_tables.h), and the HostRoman hexadecimal-digit test.
#pragma once

// HostRoman → code page 1252.
unsigned char CharRomanToAnsi(unsigned char byte);
// Code page 1252 → HostRoman.
unsigned char CharAnsiToRoman(unsigned char byte);
// HostRoman → 7-bit ASCII (accents dropped, '?' for the rest).
unsigned char CharRomanToAscii(unsigned char byte);
// 7-bit ASCII → HostRoman.
unsigned char CharAsciiToRoman(unsigned char byte);
// HostRoman → ISO-8859-1.
unsigned char CharRomanToLatin1(unsigned char byte);
// ISO-8859-1 → HostRoman.
unsigned char CharLatin1ToRoman(unsigned char byte);
// Foreign controls to the host's: 09 → 08; 0A, 0C, 0D → 0A; other bytes below 0x20 → '?'; the
// rest unchanged.
unsigned char CharControlsToRoman(unsigned char byte);
// Bytes up to and including 0x80 through RomanToAsciiTable; bytes above 0x80 unchanged.
unsigned char CharRomanToAsciiLow(unsigned char byte);
// The byte itself.
unsigned char CharIdentity(unsigned char byte);
// Non-zero (0x0020) when the first byte of s is a hexadecimal digit; 0 for null.
int CharIsHexDigit(const char* s);
