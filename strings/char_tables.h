// HostRoman's fixed byte tables: case mapping, character classes and hexadecimal digits. Each
// table has 256 entries and is indexed by the unsigned byte value; all are read-only.
#pragma once

#include <cstdint>

// Class bits of CharClassTable; a byte may carry several, a byte not listed carries none.
inline constexpr uint16_t kCharClassBreak = 0x0001;     // tab and the line, paragraph, flow ends
inline constexpr uint16_t kCharClassUpper = 0x0002;     // upper-case letters
inline constexpr uint16_t kCharClassLower = 0x0004;     // lower-case letters
inline constexpr uint16_t kCharClassAlpha = 0x0008;     // every upper- or lower-case letter
inline constexpr uint16_t kCharClassDigit = 0x0010;     // '0'-'9'
inline constexpr uint16_t kCharClassHexDigit = 0x0020;  // '0'-'9', 'A'-'F', 'a'-'f'
inline constexpr uint16_t kCharClassSpace = 0x0040;     // white space, the special spaces included
inline constexpr uint16_t kCharClassPlainSpace = 0x0080;   // the plain space 0x20 only
inline constexpr uint16_t kCharClassWord = 0x0100;         // letters, digits, 04-06, 1B, 1C, '_'
inline constexpr uint16_t kCharClassLineEnd = 0x0200;      // forced line break, paragraph, flow end
inline constexpr uint16_t kCharClassSentenceEnd = 0x0400;  // '!', '.', '?'
inline constexpr uint16_t kCharClassWordOrHardHyphen = 0x0800;  // letters, digits, hard hyphen
inline constexpr uint16_t kCharClassSpecial = 0x1000;           // the special bytes 01-06
inline constexpr uint16_t kCharClassLeadIn = 0x2000;            // bytes after which a quote opens
inline constexpr uint16_t kCharClassConsonant = 0x4000;         // consonants, Y included
inline constexpr uint16_t kCharClassQuoteOrBracket = 0x8000;    // quotation marks and brackets

// HostRoman upper case: 'a'-'z' and the lower halves of the accented pairs; others unchanged.
extern const unsigned char CaseUpperTable[256];
// HostRoman lower case: the inverse of CaseUpperTable on its pairs; others unchanged.
extern const unsigned char CaseLowerTable[256];
// The class bits (kCharClass...) of every HostRoman byte.
extern const uint16_t CharClassTable[256];
// Entries 0-15 are "0123456789ABCDEF"; the rest are 0.
extern const unsigned char HexDigitChars[256];
// The value of a hexadecimal digit ('0'-'9', 'A'-'F', 'a'-'f'); 0 for every other byte.
extern const unsigned char HexDigitValues[256];

// Entry i is i.
extern const unsigned char IdentityTable[256];
// The one-byte mappings between HostRoman and code page 1252 ("ANSI"), 7-bit ASCII and ISO-8859-1;
// 0x00 means the byte has no equivalent (0x00 itself maps to 0x00).
extern const unsigned char RomanToAnsiTable[256];
extern const unsigned char AnsiToRomanTable[256];
extern const unsigned char RomanToAsciiTable[256];
extern const unsigned char AsciiToRomanTable[256];
extern const unsigned char RomanToLatin1Table[256];
extern const unsigned char Latin1ToRomanTable[256];
