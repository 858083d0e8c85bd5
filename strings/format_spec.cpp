// Conversion specifications taken one at a time: copying one out of a format, resolving its '*'
// widths, and the field an 's' conversion needs.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "strings/byte_string.h"
#include "strings/format.h"
#include "strings/format_internal.h"
#include "strings/memory.h"

namespace {

// Reads decimal digits at s[*i], saturating at INT_MAX.
int ReadNumber(const char* s, int* i) {
  int value = 0;
  for (; s[*i] >= '0' && s[*i] <= '9'; ++*i) {
    int digit = s[*i] - '0';
    value = value > (INT_MAX - digit) / 10 ? INT_MAX : value * 10 + digit;
  }
  return value;
}

}  // namespace

const char* FmtCopySpec(char* out, const char* format) {
  if (format == nullptr || format[0] == 0) {
    if (out != nullptr) out[0] = 0;
    return format;
  }
  int end = 1;
  while (format[end] != 0 && !FmtIsLetter(format[end])) ++end;
  if (format[end] != 0) ++end;
  if (out != nullptr) {
    int kept = end < kFmtSpecSize ? end : kFmtSpecSize - 1;
    std::memcpy(out, format, static_cast<size_t>(kept));
    out[kept] = 0;
  }
  return format + end;
}

int FmtExpandStars(char* spec, int size, va_list* args) {
  if (spec == nullptr || args == nullptr) return 0;
  char local[kFmtSpecSize];
  char* work = size <= kFmtSpecSize ? local : static_cast<char*>(MemAlloc(size, 0));
  bool fits = work != nullptr && size > 0;
  int n = 0;
  for (const char* p = spec; *p != 0; ++p) {
    char piece[16];
    int length = 1;
    piece[0] = *p;
    if (*p == '*') length = std::snprintf(piece, sizeof piece, "%d", va_arg(*args, int));
    if (fits && n + length < size) {
      std::memcpy(work + n, piece, static_cast<size_t>(length));
      n += length;
    } else {
      fits = false;  // keep taking one argument per '*' all the same
    }
  }
  if (fits) {
    work[n] = 0;
    std::memcpy(spec, work, static_cast<size_t>(n) + 1);
  }
  if (work != local) MemFree(work);
  return fits ? 0 : -1;
}

int FmtStringFieldSize(const char* spec, const char* s) {
  if (spec == nullptr || spec[0] != '%') return 0;
  // Every flag is skipped (the grouping flag too, which the engine itself never hands over): one
  // that stopped the scan would hide the precision and have the whole string measured.
  int i = 1;
  while (FmtIsFlag(spec[i]) || spec[i] == '\'') ++i;
  int width = ReadNumber(spec, &i);
  // With a precision the string need not be terminated within it: never measure past it.
  int length;
  if (spec[i] == '.') {
    ++i;
    length = StrLengthN(s, ReadNumber(spec, &i));
  } else {
    length = StrLength(s);
  }
  return width > length ? width : length;
}
