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

// True when p, inside UTF-8 text with a character boundary at start <= p, surely starts a
// character: no lead byte among the three before it announces a sequence that reaches p. (A
// false answer means only that the characters have to be stepped through.)
bool Utf8SettledBoundary(const char* start, const char* p) {
  for (int k = 1; k <= 3 && p - k >= start; ++k)
    if (Utf8SequenceLength(Byte(p[-k])) > k) return false;
  return true;
}

// The one saved position of Utf8Tokenize; null until a scan begins.
char* g_tokenPosition = nullptr;

}  // namespace

int MbFind(const char* s, const char* needle, int enc) {
  if (s == nullptr || s[0] == 0 || needle == nullptr) return -1;
  if (needle[0] == 0) return 0;
  Stepper st = StepperFor(enc);
  // The C library finds each occurrence; one that starts inside a character is passed over.
  // synced is a character boundary at or before every candidate still to come, so the checks
  // together read the text about once.
  const char* synced = s;
  for (const char* p = std::strstr(s, needle); p != nullptr; p = std::strstr(p + 1, needle)) {
    if (st.table != nullptr) {
      bool boundary = DoubleByteBoundary(st.table, synced, p);
      if (boundary) return static_cast<int>(p - s);
      synced = p + 1;  // p is the second byte of a character that starts at p - 1
    } else if (st.utf8) {
      if (p < synced) continue;  // inside the character the last walk stepped over
      if (Utf8SettledBoundary(synced, p)) return static_cast<int>(p - s);
      while (synced < p) synced += CharLength(st, synced);
      if (synced == p) return static_cast<int>(p - s);
    } else {
      return static_cast<int>(p - s);
    }
  }
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
