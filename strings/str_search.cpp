// Byte strings: searching, and editing in place (deleting, trimming, reversing).
#include <cstring>

#include "strings/byte_string.h"
#include "strings/byte_string_internal.h"

namespace {

// The first index at which needle matches s with both folded to lower case, or -1.
int FindFolded(const char* s, const char* needle) {
  if (s == nullptr || needle == nullptr || *s == 0) return -1;
  for (int start = 0; s[start] != 0; ++start) {
    int i = 0;
    while (needle[i] != 0 && Fold(s[start + i]) == Fold(needle[i])) ++i;
    if (needle[i] == 0) return start;
  }
  return -1;
}

}  // namespace

char* StrFindChar(const char* s, int ch) {
  char c = static_cast<char>(ch);
  if (s == nullptr || c == 0) return nullptr;
  return const_cast<char*>(std::strchr(s, c));
}

char* StrFindLastChar(const char* s, int ch) {
  char c = static_cast<char>(ch);
  if (s == nullptr || c == 0) return nullptr;
  return const_cast<char*>(std::strrchr(s, c));
}

int StrFind(const char* s, const char* needle) {
  if (s == nullptr || needle == nullptr || *s == 0) return -1;
  const char* match = std::strstr(s, needle);
  return match != nullptr ? static_cast<int>(match - s) : -1;
}

int StrIFind(const char* s, const char* needle) {
  return FindFolded(s, needle);
}

void StrDeleteChars(char* s, const char* set) {
  if (s == nullptr || set == nullptr || *set == 0) return;
  char* out = s;
  for (const char* in = s; *in != 0; ++in) {
    if (std::strchr(set, *in) == nullptr) *out++ = *in;
  }
  *out = 0;
}

void StrTrimTrailing(char* s) {
  int length = StrLength(s);
  while (length > 0 && s[length - 1] == ' ') s[--length] = 0;
}

void StrTrimLeading(char* s) {
  if (s == nullptr) return;
  size_t skip = std::strspn(s, " ");
  if (skip > 0) std::memmove(s, s + skip, std::strlen(s + skip) + 1);
}

void StrReverse(char* s, int size) {
  if (s == nullptr || size <= 1) return;
  int n = StrLengthN(s, size);
  for (int i = 0, j = n - 1; i < j; ++i, --j) {
    char t = s[i];
    s[i] = s[j];
    s[j] = t;
  }
}
