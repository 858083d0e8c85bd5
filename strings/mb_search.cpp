// Searching multibyte text at character boundaries, and the UTF-8 tokeniser.
#include <cstring>

#include "strings/byte_string.h"
#include "strings/mb_internal.h"
#include "strings/multibyte.h"

namespace {

// True when the character at p (of length n) is exactly the bytes of ch (of length chLength).
bool SameChar(const char* p, int n, const char* ch, int chLength) {
  return n == chLength && std::memcmp(p, ch, static_cast<size_t>(n)) == 0;
}

// The character at p as it occurs in set (compared whole), or false.
bool InSet(const char* p, int n, const char* set) {
  for (int m; (m = Utf8Length(set)) != 0; set += m)
    if (SameChar(p, n, set, m)) return true;
  return false;
}

// The one saved position of Utf8Tokenize; null until a scan begins.
char* g_tokenPosition = nullptr;

}  // namespace

int MbFind(const char* s, const char* needle, int enc) {
  if (s == nullptr || s[0] == 0 || needle == nullptr) return -1;
  if (needle[0] == 0) return 0;
  Stepper st = StepperFor(enc);
  size_t needleLength = std::strlen(needle);
  for (const char* p = s; *p != 0; p += CharLength(st, p))
    if (*p == needle[0] && std::strncmp(p, needle, needleLength) == 0)
      return static_cast<int>(p - s);
  return -1;
}

char* MbFindChar(const char* s, int lead, int trail, int enc) {
  if (s == nullptr || static_cast<char>(lead) == 0) return nullptr;
  const char ch[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  int chLength = ch[1] != 0 ? 2 : 1;
  Stepper st = StepperFor(enc);
  for (int n; (n = CharLength(st, s)) != 0; s += n)
    if (SameChar(s, n, ch, chLength)) return const_cast<char*>(s);
  return nullptr;
}

char* MbFindLastChar(const char* s, int lead, int trail, int enc) {
  if (s == nullptr || static_cast<char>(lead) == 0) return nullptr;
  const char ch[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  int chLength = ch[1] != 0 ? 2 : 1;
  Stepper st = StepperFor(enc);
  const char* last = nullptr;
  for (int n; (n = CharLength(st, s)) != 0; s += n)
    if (SameChar(s, n, ch, chLength)) last = s;
  return const_cast<char*>(last);
}

char* Utf8FindChar(const char* s, const char* ch) {
  int chLength = ch != nullptr ? Utf8Length(ch) : 0;
  if (s == nullptr || chLength == 0) return nullptr;
  for (int n; (n = Utf8Length(s)) != 0; s += n)
    if (SameChar(s, n, ch, chLength)) return const_cast<char*>(s);
  return nullptr;
}

char* Utf8FindLastChar(const char* s, const char* ch) {
  int chLength = ch != nullptr ? Utf8Length(ch) : 0;
  if (s == nullptr || chLength == 0) return nullptr;
  const char* last = nullptr;
  for (int n; (n = Utf8Length(s)) != 0; s += n)
    if (SameChar(s, n, ch, chLength)) last = s;
  return const_cast<char*>(last);
}

char* Utf8FindFirstOf(const char* s, const char* set) {
  if (s == nullptr || set == nullptr || set[0] == 0) return nullptr;
  for (int n; (n = Utf8Length(s)) != 0; s += n)
    if (InSet(s, n, set)) return const_cast<char*>(s);
  return nullptr;
}

char* Utf8Tokenize(char* s, const char* delimiters) {
  if (s != nullptr) g_tokenPosition = s;
  char* p = g_tokenPosition;
  if (p == nullptr || delimiters == nullptr || delimiters[0] == 0) return p;
  int n;
  while ((n = Utf8Length(p)) != 0 && InSet(p, n, delimiters)) p += n;
  if (n == 0) {
    g_tokenPosition = p;  // stays at the end: later calls keep answering null
    return nullptr;
  }
  char* token = p;
  while ((n = Utf8Length(p)) != 0 && !InSet(p, n, delimiters)) p += n;
  if (n != 0) {
    std::memset(p, 0, static_cast<size_t>(n));
    p += n;
  }
  g_tokenPosition = p;
  return token;
}
