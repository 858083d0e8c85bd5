// Percent-encoding and decoding, and the byte classes behind them.
#include <cstring>

#include "path/file_url.h"
#include "path/path_internal.h"
#include "strings/byte_string.h"
#include "strings/char_tables.h"
#include "strings/memory.h"

namespace {

int HexValue(int digit) {
  return (digit >= '0' && digit <= '9') || (digit >= 'A' && digit <= 'F') ||
                 (digit >= 'a' && digit <= 'f')
             ? HexDigitValues[digit]
             : -1;
}

// A digit of UrlDecode, unvalidated: upper-cased, '0'-'9' count byte - 48, others byte - 55.
int LooseHexValue(unsigned char digit) {
  const int upper = CaseUpperTable[digit];
  return (upper <= '9' ? upper - 48 : upper - 55) & 0x0F;
}

}  // namespace

int UrlCharIsDelimiter(int byte) {
  return byte == '<' || byte == '>' || byte == '#' ? 1 : 0;
}

int UrlCharIsUnsafe(int byte) {
  return byte != 0 && StrFindChar("[\\]^`{|}~%", byte) != nullptr ? 1 : 0;
}

int UrlCharNeedsEscape(int byte) {
  return (byte >= 0 && byte <= 0x20) || UrlCharIsDelimiter(byte) || UrlCharIsUnsafe(byte) ? 1 : 0;
}

int HexPairValue(int high, int low) {
  const int h = HexValue(high);
  const int l = HexValue(low);
  return h < 0 || l < 0 ? 0 : (h << 4) | l;
}

int IsRepositoryName(const char* text) {
  return text != nullptr && StrHasPrefix(text, "repo://") != 0 ? 1 : 0;
}

char* UrlEncode(const char* text) {
  if (text == nullptr || text[0] == '\0') return nullptr;
  size_t size = 1;
  for (const char* p = text; *p != '\0'; ++p) {
    size += UrlCharNeedsEscape(static_cast<unsigned char>(*p)) != 0 ? 3 : 1;
  }
  auto* result = static_cast<char*>(MemCalloc(size, 1, 0));
  if (result == nullptr) return nullptr;
  char* out = result;
  for (const char* p = text; *p != '\0'; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (UrlCharNeedsEscape(byte) != 0) {
      *out++ = '%';
      *out++ = static_cast<char>(HexDigitChars[byte >> 4]);
      *out++ = static_cast<char>(HexDigitChars[byte & 0x0F]);
    } else {
      *out++ = *p;
    }
  }
  return result;
}

char* UrlDecode(const char* text) {
  size_t length = 0;
  return UrlDecodeCounted(text, &length);
}

char* UrlDecodeCounted(const char* text, size_t* length) {
  *length = 0;
  if (text == nullptr || text[0] == '\0') return nullptr;
  // Decoding never lengthens the text; sized by the input, "%%41" and "a%" stay inside it.
  auto* result = static_cast<char*>(MemCalloc(std::strlen(text) + 1, 1, 0));
  if (result == nullptr) return nullptr;
  char* out = result;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != '%') {
      *out++ = *p;
      continue;
    }
    if (p[1] == '\0' || p[2] == '\0') break;  // a '%' without two bytes after it ends the text
    *out++ = static_cast<char>((LooseHexValue(p[1]) << 4) | LooseHexValue(p[2]));
    p += 2;
  }
  *length = static_cast<size_t>(out - result);
  return result;
}

char* UrlDecodeToName(const char* text) {
  size_t length = 0;
  char* result = UrlDecodeCounted(text, &length);
  if (result != nullptr && std::strlen(result) != length) {
    MemFree(result);  // an encoded 0 would end the name early: another file's name
    return nullptr;
  }
  return result;
}

void UrlDecodeToPath(char* text) {
  if (text == nullptr) return;
  char* out = text;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '%' && p[1] != '\0' && p[2] != '\0' &&
        HexValue(static_cast<unsigned char>(p[1])) >= 0 &&
        HexValue(static_cast<unsigned char>(p[2])) >= 0 && HexPairValue(p[1], p[2]) != 0) {
      *out++ = static_cast<char>(HexPairValue(p[1], p[2]));
      p += 2;
    } else {
      *out++ = *p == '/' ? '\\' : *p;
    }
  }
  *out = '\0';
}
