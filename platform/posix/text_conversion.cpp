// Multibyte text to UTF-16. The ANSI code page of this platform is UTF-8, as its locales are.
#include <cstdint>

#include "platform/win_text.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text (length bytes left, at least 1). Sets *used to the bytes
// taken: a whole sequence, or the maximal ill-formed subpart, which reads as U+FFFD. Returns the
// code point, or -1 for an ill-formed sequence.
long DecodeOne(const unsigned char* text, long length, long* used) {
  const unsigned char lead = text[0];
  *used = 1;
  if (lead < 0x80) return lead;
  long need = 0;
  long point = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1, point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2, point = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3, point = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return -1;
  }
  for (long i = 1; i <= need; ++i) {
    if (i >= length) return -1;
    const unsigned char next = text[i];
    const bool fits = i == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
    if (!fits) return -1;
    point = (point << 6) | (next & 0x3F);
    *used = i + 1;
  }
  return point;
}

}  // namespace

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int byteCount, LPWSTR wide,
                               int wideCount) {
  if (codePage != CP_ACP && codePage != CP_UTF8) return 0;
  if (bytes == nullptr || byteCount == 0 || byteCount < -1 || wideCount < 0) return 0;
  if (wideCount > 0 && wide == nullptr) return 0;
  long length = byteCount;
  if (byteCount == -1) {
    length = 0;
    while (bytes[length] != '\0') ++length;
    ++length;  // the terminator is converted too
  }
  const auto* text = reinterpret_cast<const unsigned char*>(bytes);
  long written = 0;
  for (long at = 0; at < length;) {
    long used = 0;
    long point = DecodeOne(text + at, length - at, &used);
    at += used;
    if (point < 0) {
      if ((flags & MB_ERR_INVALID_CHARS) != 0) return 0;
      point = kReplacement;
    }
    const long units = point >= 0x10000 ? 2 : 1;
    if (written + units > INT32_MAX) return 0;
    if (wideCount > 0) {
      if (written + units > wideCount) return 0;  // too small: fail rather than cut
      if (units == 2) {
        wide[written] = static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
        wide[written + 1] = static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
      } else {
        wide[written] = static_cast<char16_t>(point);
      }
    }
    written += units;
  }
  return static_cast<int>(written);
}
