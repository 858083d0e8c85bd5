// Byte strings: allocation, length, copying and appending.
#include <cstdarg>
#include <cstring>

#include "strings/byte_blocks_internal.h"
#include "strings/byte_string.h"
#include "strings/byte_string_internal.h"
#include "strings/format.h"
#include "strings/memory.h"

char* StrAlloc(int n) {
  if (n < 0) return nullptr;
  return static_cast<char*>(MemCalloc(static_cast<size_t>(n) + 1, 1, 0));
}

char* StrCopyNew(const char* s) {
  if (s == nullptr) return nullptr;
  size_t size = std::strlen(s) + 1;
  char* copy = static_cast<char*>(MemCalloc(size, 1, 0));
  if (copy != nullptr) std::memcpy(copy, s, size);
  return copy;
}

namespace {

constexpr int kShort = 2 * kLanes;  // what the head of a string is

// The length of s when its terminator lies in its first kShort bytes; kShort when none of them is
// zero; -1 when they reach into the next page, and only the C library may look. Strings are
// mostly short, and this spares a call for them. (The blocks may cover bytes past the terminator,
// in the same page: they never decide the result.)
__attribute__((no_sanitize("address"))) int ShortLength(const char* s) {
  if (PageRest(s) < kShort) return -1;
  Lanes head = Load(s);
  Lanes tail = Load(s + kLanes);
  // One test for both blocks: the smaller byte of each pair is zero where either is.
  if (!AnyLane(Terminators(head < tail ? head : tail))) return kShort;
  Lanes zeros = Terminators(head);
  if (AnyLane(zeros)) return static_cast<int>(FirstLane(zeros));
  return static_cast<int>(kLanes + FirstLane(Terminators(tail)));
}

// The length of s, which is not null.
inline size_t LengthOf(const char* s) {
  int n = ShortLength(s);
  if (n >= 0 && n < kShort) return static_cast<size_t>(n);
  return n == kShort ? kShort + std::strlen(s + kShort) : std::strlen(s);
}

// Copies n bytes from src to dst, which may overlap.
inline void Move(char* dst, const char* src, size_t n) {
  if (n <= kShort) {
    MoveShort(dst, src, n);
  } else {
    std::memmove(dst, src, n);
  }
}

}  // namespace

int StrLength(const char* s) {
  return s == nullptr ? 0 : static_cast<int>(LengthOf(s));
}

int StrLengthN(const char* s, int max) {
  if (s == nullptr || max <= 0) return 0;
  // memchr stops at the first zero, so no byte past the terminator is read.
  const void* end = std::memchr(s, 0, static_cast<size_t>(max));
  return end != nullptr ? static_cast<int>(static_cast<const char*>(end) - s) : max;
}

void StrCopy(char* dst, const char* src) {
  if (dst == nullptr) return;
  src = OrEmpty(src);
  Move(dst, src, LengthOf(src) + 1);
}

int StrCopyN(char* dst, const char* src, int size) {
  if (dst == nullptr || size <= 0) return 0;
  src = OrEmpty(src);
  int n = ShortLength(src);
  if (n < 0 || (n == kShort && size - 1 > kShort)) {
    n = StrLengthN(src, size - 1);
  } else if (n > size - 1) {
    n = size - 1;
  }
  Move(dst, src, static_cast<size_t>(n));
  dst[n] = 0;
  return n;
}

void StrTruncate(char* s, int n) {
  // Only inside the string: a zero written past its terminator may land outside the buffer.
  if (s == nullptr || n < 0 || StrLengthN(s, n) < n) return;
  s[n] = 0;
}

namespace {

// The length of the destination of an append. An empty one, as common as any, is told by its first
// byte: that read also spares a wide read of a byte just stored.
int DestinationLength(const char* dst) {
  return dst[0] == 0 ? 0 : static_cast<int>(LengthOf(dst));
}

}  // namespace

int StrAppend(char* dst, const char* src) {
  if (dst == nullptr) return 0;
  int length = DestinationLength(dst);
  int extra = StrLength(src);
  if (extra > 0) Move(dst + length, src, static_cast<size_t>(extra) + 1);
  return length + extra;
}

int StrAppendN(char* dst, const char* src, int size) {
  if (dst == nullptr) return 0;
  int length = DestinationLength(dst);
  if (length >= size - 1) return length;  // full already, or a size of 0 or less
  int extra = StrLengthN(src, size - 1 - length);
  if (extra > 0) std::memmove(dst + length, src, static_cast<size_t>(extra));
  dst[length + extra] = 0;
  return length + extra;
}

int StrAppendLimited(char* dst, const char* src, int maxCopy, int size) {
  if (dst == nullptr) return 0;
  int length = StrLength(dst);
  if (size <= 0) return length;  // no room to write even the terminator
  if (length >= size - 1) {
    dst[size - 1] = 0;
    return size - 1;
  }
  int room = size - 1 - length;
  int extra = StrLengthN(src, maxCopy < room ? maxCopy : room);
  if (extra > 0) std::memmove(dst + length, src, static_cast<size_t>(extra));
  dst[length + extra] = 0;
  return length + extra;
}

int StrAppendChar(char* dst, int ch, int size) {
  if (dst == nullptr) return 0;
  int length = StrLength(dst);
  if (length >= size - 1 || static_cast<char>(ch) == 0) return length;
  dst[length] = static_cast<char>(ch);
  dst[length + 1] = 0;
  return length + 1;
}

namespace {

int FormatBounded(char* buffer, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = FmtStringV(buffer, size, format, args);
  va_end(args);
  return written;
}

}  // namespace

int StrAppendInt(char* dst, int value, int size) {
  char scratch[16];
  FormatBounded(scratch, sizeof scratch, "%d", value);
  return StrAppendN(dst, scratch, size);
}
