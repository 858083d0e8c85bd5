// Editing UTF-8 text by whole characters: appending, copying, reversing and removing.
#include <cstring>

#include "strings/byte_string.h"
#include "strings/mb_internal.h"
#include "strings/memory.h"
#include "strings/multibyte.h"

int Utf8AppendChar(char* dst, const char* ch, int size) {
  if (dst == nullptr) return 0;
  int length = StrLength(dst);
  int n = ch != nullptr ? Utf8Length(ch) : 0;
  if (n == 0 || length + n > size - 1) return length;
  std::memcpy(dst + length, ch, static_cast<size_t>(n));
  dst[length + n] = 0;
  return length + n;
}

int Utf8AppendLimited(char* dst, const char* src, int size, int maxChars) {
  if (dst == nullptr) return 0;
  int chars = MbCharCount(dst, kDialogUtf8);
  char* end = dst + StrLength(dst);
  src = OrEmpty(src);
  for (int copied = 0, n; copied < maxChars && chars < size - 1 && (n = Utf8Length(src)) != 0;
       ++copied, ++chars) {
    std::memmove(end, src, static_cast<size_t>(n));
    end += n;
    src += n;
  }
  *end = 0;
  return chars;
}

int Utf8CopyChars(char* dst, const char* src, int count) {
  if (dst == nullptr) return 0;
  src = OrEmpty(src);
  int copied = 0;
  char* end = dst;
  for (int n; copied < count && (n = Utf8Length(src)) != 0; ++copied) {
    std::memmove(end, src, static_cast<size_t>(n));
    end += n;
    src += n;
  }
  *end = 0;
  return copied;
}

void Utf8Reverse(char* s, int count) {
  if (s == nullptr || count <= 1) return;
  int bytes = 0;
  int chars = 0;
  for (int n; chars < count && (n = Utf8Length(s + bytes)) != 0; ++chars) bytes += n;
  if (chars <= 1) return;
  char* copy = static_cast<char*>(MemAlloc(static_cast<size_t>(bytes) + 1, kMemFatal));
  std::memcpy(copy, s, static_cast<size_t>(bytes));
  copy[bytes] = 0;
  // Each character of the copy goes to the mirror position, its own bytes kept in order.
  for (int i = 0, n; i < bytes; i += n) {
    n = Utf8Length(copy + i);
    std::memcpy(s + bytes - i - n, copy + i, static_cast<size_t>(n));
  }
  MemFree(copy);
}

void Utf8DeleteChars(char* s, const char* set) {
  if (s == nullptr || set == nullptr || set[0] == 0) return;
  char* out = s;
  for (int n; (n = Utf8Length(s)) != 0; s += n) {
    if (Utf8FindChar(set, s) != nullptr) continue;
    std::memmove(out, s, static_cast<size_t>(n));
    out += n;
  }
  *out = 0;
}

void Utf8RemoveAll(char* s, const char* needle) {
  if (s == nullptr || needle == nullptr || needle[0] == 0) return;
  size_t needleLength = std::strlen(needle);
  // out never passes in, so the text still to be searched is never overwritten.
  char* out = s;
  for (const char* in = s; *in != 0;) {
    if (*in == needle[0] && std::strncmp(in, needle, needleLength) == 0) {
      in += needleLength;
      continue;
    }
    int n = Utf8Length(in);
    std::memmove(out, in, static_cast<size_t>(n));
    out += n;
    in += n;
  }
  *out = 0;
}

void Utf8RemoveAllOf(char* s, const StrArray* list) {
  if (list == nullptr) return;
  for (uint32_t i = 0; i < list->count; ++i) Utf8RemoveAll(s, list->items[i]);
}
