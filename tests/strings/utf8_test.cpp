// UTF-8 and UTF-16 code points: every one- and two-byte sequence and a dense sweep of three- and
// four-byte ones against an independent model written here, ICU's own macros for well-formed
// text, and the terminating zero never passed (texts sit in blocks of exactly their size).
#include <gtest/gtest.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "strings/utf8.h"
#include "tests/support/page_buffer.h"

namespace {

// A heap copy of exactly the bytes plus the terminator, so that reading past it is caught.
std::unique_ptr<char[]> Exact(const std::string& bytes) {
  auto block = std::make_unique<char[]>(bytes.size() + 1);
  std::memcpy(block.get(), bytes.c_str(), bytes.size() + 1);
  return block;
}

// ---- The model: the lengths and the decoding arithmetic as the host defines them ----

int ModelLength(unsigned b) {
  return (b >= 0xC2 && b <= 0xDF)   ? 2
         : (b >= 0xE0 && b <= 0xEF) ? 3
         : (b >= 0xF0 && b <= 0xF4) ? 4
                                    : 1;
}

bool ModelIsCont(unsigned b) {
  return (b & 0xC0) == 0x80;
}

// The character length at s, or 0 when no valid character starts there.
int ModelCharLength(const unsigned char* s) {
  if (s[0] == 0) return 0;
  if (s[0] < 0x80) return 1;
  if (s[0] < 0xC2 || s[0] > 0xF4) return 0;
  int n = ModelLength(s[0]);
  for (int i = 1; i < n; ++i)
    if (!ModelIsCont(s[i])) return 0;
  return n;
}

// Lead marks weigh mark·64^n, each continuation 0x80·64^k; what is left is the value.
int32_t ModelDecode(const unsigned char* s) {
  unsigned lead = s[0];
  int n = lead < 0xC0 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : -1;
  if (n < 0) return 0xFFFD;
  int64_t value = 0, marks = 0;
  for (int i = 0; i <= n; ++i) {
    if (i > 0 && s[i] == 0) return 0xFFFD;
    value = value * 64 + s[i];
    marks = marks * 64 + (i == 0 ? (n == 0 ? 0 : n == 1 ? 0xC0 : n == 2 ? 0xE0 : 0xF0) : 0x80);
  }
  value -= marks;
  return value < 0 ? 0xFFFD : static_cast<int32_t>(value);
}

// Places the bytes at the very end of an 8-byte block, terminator last, so that any read past the
// terminator leaves the block.
void CheckSequence(std::initializer_list<unsigned char> bytes) {
  static const std::unique_ptr<char[]> storage = std::make_unique<char[]>(8);
  char* text = storage.get() + 8 - (bytes.size() + 1);
  std::copy(bytes.begin(), bytes.end(), text);
  text[bytes.size()] = '\0';
  auto* u = reinterpret_cast<const unsigned char*>(text);
  ASSERT_EQ(Utf8Decode(text), ModelDecode(u));
  ASSERT_EQ(Utf8CharLength(text), ModelCharLength(u));

  size_t at = 0;
  bool valid = true;
  while (u[at] != 0) {
    int n = ModelCharLength(u + at);
    if (n == 0) {
      valid = false;
      break;
    }
    at += n;
  }
  ASSERT_EQ(Utf8IsValid(text), valid ? 1 : 0);
  ASSERT_EQ(Utf8CutInvalid(text), static_cast<int>(at) - 1);
  ASSERT_EQ(std::strlen(text), at);
}

TEST(Utf8Sweep, EveryOneAndTwoByteSequence) {
  for (int a = 1; a < 256; ++a) {
    SCOPED_TRACE(a);
    auto ua = static_cast<unsigned char>(a);
    CheckSequence({ua});
    for (int b = 0; b < 256; ++b) CheckSequence({ua, static_cast<unsigned char>(b)});
  }
}

TEST(Utf8Sweep, ThreeAndFourByteSequencesFromEveryHighLead) {
  // Every lead from 0x80 with every second byte; the later bytes from the values at the edges of
  // each class (zero, ASCII, continuation, lead).
  const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC2, 0xF5};
  for (int a = 0x80; a < 256; ++a) {
    SCOPED_TRACE(a);
    for (int b = 1; b < 256; ++b)
      for (unsigned char c : edges) {
        auto ua = static_cast<unsigned char>(a), ub = static_cast<unsigned char>(b);
        CheckSequence({ua, ub, c});
        for (unsigned char d : edges) CheckSequence({ua, ub, c, d});
      }
  }
}

TEST(Utf8Sweep, WellFormedTextDecodesAsIcuDoes) {
  for (int32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    uint8_t icu[5] = {};
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(icu, length, 4, cp, error);
    char ours[4];
    ASSERT_EQ(Utf8Encode(cp, ours), length) << cp;
    ASSERT_EQ(std::memcmp(ours, icu, length), 0) << cp;
    ASSERT_EQ(Utf8Decode(reinterpret_cast<const char*>(icu)), cp == 0 ? 0 : cp);
    ASSERT_EQ(Utf8CharLength(reinterpret_cast<const char*>(icu)), cp == 0 ? 0 : length);

    char16_t units[2];
    UChar expected[2] = {};
    int32_t unitCount = 0;
    U16_APPEND(expected, unitCount, 2, cp, error);
    ASSERT_FALSE(error);
    ASSERT_EQ(Utf16FromCodePoint(cp, units), unitCount) << cp;
    ASSERT_EQ(units[0], expected[0]);
    ASSERT_EQ(units[1], unitCount == 2 ? expected[1] : 0);
    char16_t terminated[3] = {units[0], unitCount == 2 ? units[1] : u'\0', 0};
    ASSERT_EQ(Utf16Decode(terminated), cp);
    char back[4] = {};
    ASSERT_EQ(Utf16ToUtf8(terminated, back), length);
    ASSERT_EQ(std::memcmp(back, icu, length), 0);
    char16_t viaUtf8[2];
    ASSERT_EQ(Utf8ToUtf16(reinterpret_cast<const char*>(icu), viaUtf8), unitCount);
  }
}

TEST(Utf8Decode, Edges) {
  struct Row {
    int line;
    std::string bytes;
    int32_t expected;
  };
  const Row rows[] = {
      {__LINE__, "\xE2\x82\xAC", 0x20AC},
      {__LINE__, std::string("\xC0\x80", 2), 0x0000},  // overlong zero
      {__LINE__, "\xB5", 0x00B5},                      // a lone continuation byte
      {__LINE__, "\x80", 0x0080},
      {__LINE__, "\xBF", 0x00BF},
      {__LINE__, "\xE2", 0xFFFD},  // cut short by the terminator
      {__LINE__, "\xE2\x82", 0xFFFD},
      {__LINE__, "\xF0\x9F\x98", 0xFFFD},
      {__LINE__, "\xF5", 0xFFFD},                  // a lone F5 at the end
      {__LINE__, "\xF8\x88\x80\x80\x80", 0xFFFD},  // five-byte lead
      {__LINE__, "\xFF", 0xFFFD},
      {__LINE__, "\xF0\x9F\x98\x80", 0x1F600},
      {__LINE__, "\xF7\xBF\xBF\xBF", 0x1FFFFF},
      {__LINE__, "\xC2\x41", 0x0041},  // continuation bytes are not checked
      {__LINE__, "\xC0\x01", 0xFFFD},  // negative after the offset
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    auto block = Exact(r.bytes);
    EXPECT_EQ(Utf8Decode(block.get()), r.expected);
  }
  EXPECT_EQ(Utf8Decode(nullptr), 0);
}

TEST(Utf8Encode, LimitsAndClearing) {
  struct Row {
    int line;
    int32_t cp;
    std::string expected;
  };
  const Row rows[] = {
      {__LINE__, 0x00, std::string(1, '\0')},
      {__LINE__, 0x7F, "\x7F"},
      {__LINE__, 0x80, "\xC2\x80"},
      {__LINE__, 0x7FF, "\xDF\xBF"},
      {__LINE__, 0x800, "\xE0\xA0\x80"},
      {__LINE__, 0xD800, "\xED\xA0\x80"},  // surrogates are written as they are
      {__LINE__, 0xFFFF, "\xEF\xBF\xBF"},
      {__LINE__, 0x10000, "\xF0\x90\x80\x80"},
      {__LINE__, 0x1FFFFF, "\xF7\xBF\xBF\xBF"},
      {__LINE__, 0x200000, "\xEF\xBF\xBD"},  // beyond four bytes: U+FFFD
      {__LINE__, -1, "\xEF\xBF\xBD"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    char out[4] = {'x', 'x', 'x', 'x'};
    ASSERT_EQ(Utf8Encode(r.cp, out), static_cast<int>(r.expected.size()));
    EXPECT_EQ(std::memcmp(out, r.expected.data(), r.expected.size()), 0);
    for (size_t i = r.expected.size(); i < 4; ++i) EXPECT_EQ(out[i], 0);
  }
  EXPECT_EQ(Utf8Encode(0x41, nullptr), 0);
}

TEST(Utf16, SurrogatesAndLimits) {
  char16_t out[2] = {1, 1};
  EXPECT_EQ(Utf16FromCodePoint(0x1F600, out), 2);
  EXPECT_EQ(out[0], 0xD83D);
  EXPECT_EQ(out[1], 0xDE00);
  // Every surrogate, the last included, comes out as U+FFFD, never as a lone surrogate; the code
  // points around the range come out as themselves.
  for (int32_t cp = 0xD7FF; cp <= 0xE000; ++cp) {
    SCOPED_TRACE(cp);
    out[0] = out[1] = 1;
    ASSERT_EQ(Utf16FromCodePoint(cp, out), 1);
    ASSERT_EQ(out[0], cp >= 0xD800 && cp <= 0xDFFF ? 0xFFFD : cp);
    ASSERT_EQ(out[1], 0);
  }
  for (int32_t cp : {0x110000, 0x7FFFFFFF, -1}) {
    SCOPED_TRACE(cp);
    EXPECT_EQ(Utf16FromCodePoint(cp, out), 1);
    EXPECT_EQ(out[0], 0xFFFD);
  }
  EXPECT_EQ(Utf16FromCodePoint(0x41, nullptr), 0);

  const char16_t lowFirst[] = {0xDC00, 0xD800, 0};  // unpaired: each its own value
  EXPECT_EQ(Utf16Decode(lowFirst), 0xDC00);
  EXPECT_EQ(Utf16Decode(lowFirst + 1), 0xD800);
  char bytes[4] = {};
  EXPECT_EQ(Utf16ToUtf8(lowFirst + 1, bytes), 3);
  EXPECT_EQ(std::string(bytes, 3), "\xED\xA0\x80");

  const char16_t text[] = {u'a', 0xD83D, 0xDE00, 0};
  EXPECT_EQ(UStrLength(text), 3);
  EXPECT_EQ(UStrLength(nullptr), 0);
  const char16_t* p = text;
  EXPECT_EQ(UStrNext(p), text + 1);
  EXPECT_EQ(p, text + 1);
  EXPECT_EQ(UStrCharLength(text[1]), 1);
}

TEST(Utf8Next, StepsWholeCharactersAndStopsAtTheTerminator) {
  struct Row {
    int line;
    std::string bytes;
    std::vector<int> stops;  // offsets after each step until the terminator
  };
  const Row rows[] = {
      {__LINE__, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", {1, 3, 6, 10}},
      {__LINE__, "\xE2", {1}},
      {__LINE__, "\xE2\x82", {2}},
      {__LINE__, "x\xF4\x8F", {1, 3}},
      {__LINE__, "\xC0\x80", {1, 2}},  // C0 is a one-byte character for stepping
      {__LINE__, "\xF5\x80\x80\x80", {1, 2, 3, 4}},
      {__LINE__, "", {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    auto block = Exact(r.bytes);
    const char* p = block.get();
    std::vector<int> stops;
    while (*p != '\0' && stops.size() < 10) {
      Utf8Next(p);
      stops.push_back(static_cast<int>(p - block.get()));
    }
    EXPECT_EQ(stops, r.stops);
    Utf8Next(p);  // at the terminator: stays
    EXPECT_EQ(p - block.get(), static_cast<long>(r.bytes.size()));
    char* q = block.get();
    Utf8Next(q);
    EXPECT_EQ(q - block.get(), r.stops.empty() ? 0 : r.stops[0]);
  }
}

TEST(Utf8Classes, ByteTests) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    auto byte = static_cast<unsigned char>(b);
    EXPECT_EQ(Utf8SequenceLength(byte), ModelLength(b));
    EXPECT_EQ(Utf8IsContinuation(byte), b >= 0x80 && b <= 0xBF ? 1 : 0);
    EXPECT_EQ(Utf8IsLeadByte(byte), b >= 0xC2 && b <= 0xF4 ? 1 : 0);
    EXPECT_EQ(Utf8IsSingleByte(byte), b < 0x80 ? 1 : 0);
  }
}

TEST(Utf8Validity, PermissiveRules) {
  struct Row {
    int line;
    const char* text;
    int valid;
    int kept;  // Utf8CutInvalid
  };
  const Row rows[] = {
      {__LINE__, "", 1, -1},
      {__LINE__, "abc", 1, 2},
      {__LINE__, "\xC0\xAF", 0, -1},  // C0 lead fails
      {__LINE__, "\xC1\xBF", 0, -1},
      {__LINE__, "\xED\xA0\x80", 1, 2},      // an encoded surrogate passes
      {__LINE__, "\xE0\x80\x80", 1, 2},      // overlong three-byte form passes
      {__LINE__, "\xF0\x80\x80\x80", 1, 3},  // overlong four-byte form passes
      {__LINE__, "\xF4\xBF\xBF\xBF", 1, 3},  // above U+10FFFF passes
      {__LINE__, "\xF5\x80\x80\x80", 0, -1},
      {__LINE__, "ab\xC3", 0, 1},  // cut before the broken character
      {__LINE__, "ab\xC3\xA9\x80z", 0, 3},
      {__LINE__, "\xE2\x82\xAC\xE2\x82", 0, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    auto block = Exact(r.text);
    EXPECT_EQ(Utf8IsValid(block.get()), r.valid);
    EXPECT_EQ(Utf8CutInvalid(block.get()), r.kept);
    EXPECT_EQ(static_cast<int>(std::strlen(block.get())), r.kept + 1);
  }
  EXPECT_EQ(Utf8IsValid(nullptr), 0);
  EXPECT_EQ(Utf8CutInvalid(nullptr), 0);
  EXPECT_EQ(Utf8CharLength(nullptr), 0);
  EXPECT_EQ(Utf8CharLength(""), 0);
}

// Validity of text that ends around a page end, with random bytes past the terminator: ASCII runs
// are passed over a block at a time only inside a page. The model steps byte by byte.
TEST(Utf8Validity, AroundPageEnds) {
  auto model = [](const unsigned char* p) {
    const unsigned char* start = p;
    while (*p != 0) {
      int length = ModelLength(*p);
      if (*p >= 0x80 && (*p < 0xC2 || *p > 0xF4)) return -1;
      for (int i = 1; i < length; ++i)
        if ((p[i] & 0xC0) != 0x80) return -1;
      p += length;
    }
    return static_cast<int>(p - start);
  };
  static const char* const kPieces[] = {
      "a",    "z",    " ",    "\x7F", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
      "\xC3", "\x80", "\xF5", "\xC1"};
  std::mt19937 rng(0x0F8);
  PageBuffer buffer;
  for (size_t i = 0; i < PageBuffer::kSize; ++i) *buffer.At(i) = static_cast<char>(rng());
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int n = static_cast<int>(rng() % 80); n > 0; --n) {
      if (rng() % 4 != 0) {
        text += "abcdefgh"[rng() % 8];
      } else {
        text += kPieces[rng() % (sizeof kPieces / sizeof *kPieces)];
      }
    }
    size_t end = PageBuffer::kPage + rng() % 81 - 40;
    char* s = buffer.At(end - text.size());
    std::memcpy(s, text.c_str(), text.size() + 1);
    for (size_t k = 1; k <= 20; ++k) s[text.size() + k] = static_cast<char>(rng());
    SCOPED_TRACE(testing::Message() << "round " << round << " end " << end % PageBuffer::kPage
                                    << " " << testing::PrintToString(text));
    EXPECT_EQ(Utf8ValidLength(s), model(reinterpret_cast<const unsigned char*>(s)));
    if (HasFailure()) return;
  }
}

}  // namespace
