// ICU character properties of code points and UTF-8 characters; digits of any script.
#include "strings/char_props.h"

#include <unicode/uchar.h>

#include <cstdlib>
#include <cstring>

#include "strings/byte_string.h"
#include "strings/memory.h"
#include "strings/utf8.h"

namespace {

// A digit-normalised heap copy of s; null for null.
char* NormalizedCopy(const char* s) {
  if (s == nullptr) return nullptr;
  auto* copy = static_cast<char*>(MemDup(s, std::strlen(s) + 1, kMemFatal));
  Utf8NormalizeDigits(copy);
  return copy;
}

}  // namespace

int32_t CharToLower(int32_t codePoint) {
  return u_tolower(codePoint);
}

int32_t CharToUpper(int32_t codePoint) {
  return u_toupper(codePoint);
}

int CharIsLower(int32_t codePoint) {
  return u_islower(codePoint) ? 1 : 0;
}

int CharIsUpper(int32_t codePoint) {
  return u_isupper(codePoint) ? 1 : 0;
}

int CharIsAlpha(int32_t codePoint) {
  return u_isalpha(codePoint) ? 1 : 0;
}

int CharIsDigit(int32_t codePoint) {
  return u_isdigit(codePoint) ? 1 : 0;
}

int CharIsAlnum(int32_t codePoint) {
  return u_isalnum(codePoint) ? 1 : 0;
}

int Utf8ToLower(const char* p, char* out) {
  return Utf8Encode(u_tolower(Utf8Decode(p)), out);
}

int Utf8ToUpper(const char* p, char* out) {
  return Utf8Encode(u_toupper(Utf8Decode(p)), out);
}

int Utf8IsLower(const char* p) {
  return CharIsLower(Utf8Decode(p));
}

int Utf8IsUpper(const char* p) {
  return CharIsUpper(Utf8Decode(p));
}

int Utf8IsAlpha(const char* p) {
  return CharIsAlpha(Utf8Decode(p));
}

int Utf8IsDigit(const char* p) {
  return CharIsDigit(Utf8Decode(p));
}

int Utf8IsAlnum(const char* p) {
  return CharIsAlnum(Utf8Decode(p));
}

int Utf8DigitValue(const char* p) {
  return u_charDigitValue(Utf8Decode(p));
}

void Utf8NormalizeDigits(char* s) {
  if (s == nullptr) return;
  const char* read = s;
  char* write = s;
  while (*read != '\0') {
    const char* next = read;
    Utf8Next(next);
    // Only a whole character is decoded: a byte that stands alone (C0, C1, F5-FF, a stray
    // continuation byte) or a sequence cut short is copied as it is.
    auto lead = static_cast<unsigned char>(*read);
    bool whole = lead < 0x80 || (Utf8IsLeadByte(lead) && next - read == Utf8SequenceLength(lead));
    int32_t cp = whole ? Utf8Decode(read) : -1;
    if (cp >= 0 && u_isdigit(cp)) {
      *write++ = static_cast<char>('0' + u_charDigitValue(cp));  // never longer than the digit
      read = next;
    } else {
      while (read < next) *write++ = *read++;
    }
  }
  *write = '\0';
}

int Utf8ToInt(const char* s) {
  char* copy = NormalizedCopy(s);
  if (copy == nullptr) return 0;
  int value = StrToInt(copy);  // saturates on overflow, as the host's atoi does
  MemFree(copy);
  return value;
}

double Utf8ToDouble(const char* s) {
  char* copy = NormalizedCopy(s);
  if (copy == nullptr) return 0;
  double value = std::atof(copy);
  MemFree(copy);
  return value;
}
