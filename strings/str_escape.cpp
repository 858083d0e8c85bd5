// Byte strings: HostRoman special characters and their backslash escapes, control-byte mapping
// between HostRoman and ASCII, and "%xHH" hexadecimal escapes.
#include "strings/byte_string.h"
#include "strings/byte_string_internal.h"
#include "strings/char_tables.h"

namespace {

constexpr int kEscapeLimit = 1023;  // bytes of text either direction produces at most

struct Escape {
  char letter;   // the byte after the backslash
  char special;  // the HostRoman byte it stands for
};

// StrEscape writes the first letter listed for a byte; the others are only read.
constexpr Escape kEscapes[] = {
    {'t', 0x08}, {'r', 0x09}, {'n', 0x09}, {'h', 0x09}, {'p', 0x0A},
    {'P', 0x0A}, {'-', 0x04}, {'_', 0x05}, {'#', 0x10}, {' ', 0x11},
    {'i', 0x12}, {'N', 0x13}, {'M', 0x14}, {'+', 0x15}, {'s', 0x20},
};

char SpecialFor(char letter) {
  for (const Escape& e : kEscapes) {
    if (e.letter == letter) return e.special;
  }
  return letter;  // any other byte stands for itself, so "\\" is one backslash
}

// The letter that escapes c, or 0 when c is written as it stands.
char LetterFor(char c) {
  if (c == '\\') return '\\';
  for (const Escape& e : kEscapes) {
    if (e.special == c) return e.letter;
  }
  return 0;
}

}  // namespace

char* StrUnescape(const char* s) {
  char out[kEscapeLimit + 1];
  int n = 0;
  for (s = OrEmpty(s); *s != 0 && n < kEscapeLimit; ++s) {
    if (*s != '\\') {
      out[n++] = *s;
    } else if (*++s == 0) {
      break;  // a trailing backslash ends the text
    } else {
      out[n++] = SpecialFor(*s);
    }
  }
  out[n] = 0;
  return StrCopyNew(out);
}

char* StrEscape(const char* s) {
  char out[kEscapeLimit + 1];
  int n = 0;
  for (s = OrEmpty(s); *s != 0; ++s) {
    char letter = LetterFor(*s);
    if (letter == 0) {
      if (n + 1 > kEscapeLimit) break;
      out[n++] = *s;
    } else {
      if (n + 2 > kEscapeLimit) break;  // half an escape would change the next byte's meaning
      out[n++] = '\\';
      out[n++] = letter;
    }
  }
  out[n] = 0;
  return StrCopyNew(out);
}

void StrRomanControlsToAscii(char* s) {
  if (s == nullptr) return;
  for (; *s != 0; ++s) {
    switch (*s) {
      case 0x08:
        *s = '\t';
        break;
      case 0x09:
        *s = '\n';
        break;
      case 0x10:
      case 0x11:
      case 0x12:
      case 0x13:
      case 0x14:
        *s = ' ';
        break;
      case 0x15:
        *s = '-';
        break;
      default:
        break;
    }
  }
}

int StrAsciiControlsToRoman(char* s) {
  if (s == nullptr) return 0;
  for (; *s != 0; ++s) {
    if (*s == '\t') {
      *s = 0x08;
    } else if (*s == '\n') {
      *s = 0x09;
    }
  }
  return 0;
}

int StrHexDigitValue(int ch, int* out) {
  unsigned char c = static_cast<unsigned char>(ch);
  int isDigit = ch == c && (CharClassTable[c] & kCharClassHexDigit) != 0 ? 1 : 0;
  if (out != nullptr) *out = isDigit ? HexDigitValues[c] : 0;
  return isDigit;
}

void StrDecodeHexEscapes(char* s) {
  if (s == nullptr) return;
  char* out = s;
  int high = 0;
  int low = 0;
  for (const char* in = s; *in != 0;) {
    // The digits are tested in order, so a terminator stops the test before anything past it.
    if (in[0] == '%' && (in[1] == 'x' || in[1] == 'X') && StrHexDigitValue(Byte(in[2]), &high) &&
        StrHexDigitValue(Byte(in[3]), &low)) {
      *out++ = static_cast<char>(high * 16 + low);
      in += 4;
    } else {
      *out++ = *in++;
    }
  }
  *out = 0;
}
