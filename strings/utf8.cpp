// UTF-8 and UTF-16 code points, after the Unicode Consortium's ConvertUTF scheme, made safe at the
// terminating zero.
#include "strings/utf8.h"

#include <unicode/ustring.h>

#include "strings/byte_blocks_internal.h"
#include "strings/utf8_valid_internal.h"

namespace {

constexpr int32_t kReplacement = 0xFFFD;

// Following bytes a lead byte announces for decoding (F8-FF are refused before the lookup).
int DecodeTrailCount(unsigned char lead) {
  if (lead < 0xC0) return 0;
  if (lead < 0xE0) return 1;
  if (lead < 0xF0) return 2;
  return 3;
}

// What the accumulated bytes of a sequence carry from their lead and continuation marks.
constexpr uint32_t kDecodeOffsets[4] = {0, 0x3080, 0xE2080, 0x3C82080};

// Encodes without clearing; the caller has ruled out values above 0x1FFFFF.
int EncodeRaw(uint32_t cp, char* out) {
  auto put = [&](int i, uint32_t v) { out[i] = static_cast<char>(v); };
  if (cp < 0x80) {
    put(0, cp);
    return 1;
  }
  if (cp < 0x800) {
    put(0, 0xC0 | (cp >> 6));
    put(1, 0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp <= 0xFFFF) {
    put(0, 0xE0 | (cp >> 12));
    put(1, 0x80 | ((cp >> 6) & 0x3F));
    put(2, 0x80 | (cp & 0x3F));
    return 3;
  }
  put(0, 0xF0 | (cp >> 18));
  put(1, 0x80 | ((cp >> 12) & 0x3F));
  put(2, 0x80 | ((cp >> 6) & 0x3F));
  put(3, 0x80 | (cp & 0x3F));
  return 4;
}

int EncodeChecked(uint32_t cp, char* out) {
  return EncodeRaw(cp <= 0x1FFFFF ? cp : kReplacement, out);
}

bool IsHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

template <typename Char>
void Step(Char*& p) {
  if (p == nullptr || *p == '\0') return;
  int length = Utf8SequenceLength(static_cast<unsigned char>(*p));
  ++p;
  while (--length > 0 && *p != '\0') ++p;
}

}  // namespace

int32_t Utf8Decode(const char* p) {
  if (p == nullptr) return 0;
  auto lead = static_cast<unsigned char>(p[0]);
  if (lead >= 0xF8) return kReplacement;
  int trail = DecodeTrailCount(lead);
  uint32_t value = lead;
  for (int i = 1; i <= trail; ++i) {
    auto byte = static_cast<unsigned char>(p[i]);
    if (byte == 0) return kReplacement;  // cut short by the terminator
    value = (value << 6) + byte;
  }
  if (value < kDecodeOffsets[trail]) return kReplacement;
  return static_cast<int32_t>(value - kDecodeOffsets[trail]);
}

int Utf8Encode(int32_t codePoint, char* out) {
  if (out == nullptr) return 0;
  out[0] = out[1] = out[2] = out[3] = 0;
  return EncodeChecked(static_cast<uint32_t>(codePoint), out);
}

int Utf16FromCodePoint(int32_t codePoint, char16_t* out) {
  if (out == nullptr) return 0;
  out[0] = out[1] = 0;
  auto cp = static_cast<uint32_t>(codePoint);
  if (cp <= 0xFFFF) {
    out[0] = (cp >= 0xD800 && cp <= 0xDFFF) ? kReplacement : static_cast<char16_t>(cp);
    return 1;
  }
  if (cp <= 0x10FFFF) {
    out[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    out[1] = static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
    return 2;
  }
  out[0] = kReplacement;
  return 1;
}

int Utf16ToUtf8(const char16_t* p, char* out) {
  if (p == nullptr || out == nullptr) return 0;
  return EncodeChecked(static_cast<uint32_t>(Utf16Decode(p)), out);
}

int Utf8ToUtf16(const char* p, char16_t* out) {
  return Utf16FromCodePoint(Utf8Decode(p), out);
}

int32_t Utf16Decode(const char16_t* p) {
  if (p == nullptr) return 0;
  if (IsHighSurrogate(p[0]) && IsLowSurrogate(p[1]))
    return 0x10000 + ((p[0] - 0xD800) << 10) + (p[1] - 0xDC00);
  return p[0];
}

int Utf8SequenceLength(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return 2;
  if (byte >= 0xE0 && byte <= 0xEF) return 3;
  if (byte >= 0xF0 && byte <= 0xF4) return 4;
  return 1;
}

void Utf8Next(const char*& p) {
  Step(p);
}

void Utf8Next(char*& p) {
  Step(p);
}

int Utf8IsContinuation(unsigned char byte) {
  return byte >= 0x80 && byte <= 0xBF;
}

int Utf8IsLeadByte(unsigned char byte) {
  return byte >= 0xC2 && byte <= 0xF4;
}

int Utf8IsSingleByte(unsigned char byte) {
  return byte < 0x80;
}

int Utf8CharLength(const char* p) {
  if (p == nullptr || p[0] == '\0') return 0;
  auto lead = static_cast<unsigned char>(p[0]);
  if (lead < 0x80) return 1;
  if (!Utf8IsLeadByte(lead)) return 0;
  int length = Utf8SequenceLength(lead);
  for (int i = 1; i < length; ++i)
    if (!Utf8IsContinuation(static_cast<unsigned char>(p[i]))) return 0;  // the zero stops here
  return length;
}

int Utf8ValidLength(const char* s) {
  if (s == nullptr) return -1;
  const auto* start = reinterpret_cast<const unsigned char*>(s);
  int shortLength = ShortValidLength(start);
  if (shortLength != -2) return shortLength;
  const unsigned char* p = start;
  for (;;) {
    // Runs of ASCII a block at a time, where the block ends in the page it starts in; the first
    // byte that is zero or from 0x80 up stops it.
    if (PageRest(p) >= kLanes) {
      Lanes stops = reinterpret_cast<Lanes>(reinterpret_cast<SignedLanes>(Load(p)) <= 0);
      if (!AnyLane(stops)) {
        p += kLanes;
        continue;
      }
      p += FirstLane(stops);
    }
    unsigned char lead = *p;
    if (lead < 0x80) {
      if (lead == 0) return static_cast<int>(p - start);
      ++p;
      continue;
    }
    if (!Utf8IsLeadByte(lead)) return -1;
    int length = Utf8SequenceLength(lead);
    // The terminator is no continuation byte, so the check never reads past it.
    for (int i = 1; i < length; ++i)
      if (!Utf8IsContinuation(p[i])) return -1;
    p += length;
  }
}

int Utf8IsValid(const char* s) {
  return Utf8ValidLength(s) >= 0 ? 1 : 0;
}

int Utf8CutInvalid(char* s) {
  if (s == nullptr) return 0;
  int i = 0;
  while (s[i] != '\0') {
    int length = Utf8CharLength(s + i);
    if (length == 0) {
      s[i] = '\0';
      break;
    }
    i += length;
  }
  return i - 1;
}

int32_t UStrLength(const char16_t* s) {
  return s != nullptr ? u_strlen(s) : 0;
}

const char16_t* UStrNext(const char16_t*& p) {
  return ++p;
}

int UStrCharLength(char16_t) {
  return 1;
}
