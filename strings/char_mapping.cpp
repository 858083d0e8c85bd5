// One-byte mappings between HostRoman and code page 1252, ISO-8859-1 and ASCII.
#include "strings/char_mapping.h"

#include "strings/char_tables.h"

unsigned char CharRomanToAnsi(unsigned char byte) {
  return RomanToAnsiTable[byte];
}

unsigned char CharAnsiToRoman(unsigned char byte) {
  return AnsiToRomanTable[byte];
}

unsigned char CharRomanToAscii(unsigned char byte) {
  return RomanToAsciiTable[byte];
}

unsigned char CharAsciiToRoman(unsigned char byte) {
  return AsciiToRomanTable[byte];
}

unsigned char CharRomanToLatin1(unsigned char byte) {
  return RomanToLatin1Table[byte];
}

unsigned char CharLatin1ToRoman(unsigned char byte) {
  return Latin1ToRomanTable[byte];
}

unsigned char CharControlsToRoman(unsigned char byte) {
  if (byte >= 0x20) return byte;
  if (byte == 0x09) return 0x08;                                  // tab
  if (byte == 0x0A || byte == 0x0C || byte == 0x0D) return 0x0A;  // end of paragraph
  return '?';
}

unsigned char CharRomanToAsciiLow(unsigned char byte) {
  return byte <= 0x80 ? RomanToAsciiTable[byte] : byte;
}

unsigned char CharIdentity(unsigned char byte) {
  return byte;
}

int CharIsHexDigit(const char* s) {
  if (s == nullptr) return 0;
  return CharClassTable[static_cast<unsigned char>(s[0])] & kCharClassHexDigit;
}
