// Multibyte text to UTF-16, against a model encoder over random code points.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/win_text.h"

namespace {

std::u16string Convert(const std::string& bytes, DWORD flags = 0) {
  const int needed =
      MultiByteToWideChar(CP_UTF8, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string wide(static_cast<size_t>(needed), u'\0');
  if (needed > 0) {
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, flags, bytes.data(), static_cast<int>(bytes.size()),
                                  wide.data(), needed),
              needed);
  }
  return wide;
}

TEST(MultiByteToWideChar, DecodesAndReplacesIllFormedSequences) {
  struct Row {
    int line;
    std::string bytes;
    std::u16string wide;  // empty: the call fails
  };
  const Row rows[] = {
      {__LINE__, "host", u"host"},
      {__LINE__, "caf\xC3\xA9", u"caf\u00E9"},
      {__LINE__, "\xE2\x82\xAC", u"\u20AC"},
      {__LINE__, "\xF0\x9F\x98\x80", u"\U0001F600"},
      {__LINE__, "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {__LINE__, "a\x80z", u"a\uFFFDz"},                            // a lone continuation byte
      {__LINE__, "\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong: each byte its own
      {__LINE__, "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
      {__LINE__, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // a surrogate
      {__LINE__, "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {__LINE__, "\xE2\x82", u"\uFFFD"},  // cut short: one maximal subpart
      {__LINE__, "\xE2\x82z", u"\uFFFDz"},
      {__LINE__, "\xFF", u"\uFFFD"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Convert(row.bytes), row.wide);
    const bool wellFormed = row.wide.find(u'\uFFFD') == std::u16string::npos;
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, row.bytes.data(),
                                  static_cast<int>(row.bytes.size()), nullptr, 0) != 0,
              wellFormed);
  }
}

TEST(MultiByteToWideChar, CountsTheTerminatorAndNeverCuts) {
  char16_t wide[4];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 4), 4);
  EXPECT_EQ(std::u16string(wide), u"abc");
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcd", -1, wide, 4), 0);  // no room for the zero
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab\xF0\x9F\x98\x80", -1, wide, 4), 0);  // pair cut
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "", -1, wide, 4), 1);
  EXPECT_EQ(wide[0], 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, wide, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -2, wide, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, wide, 4), 0);  // not a code page here
}

// The model: one code point to UTF-8 and to UTF-16, by the definitions.
void Encode(char32_t point, std::string& utf8, std::u16string& utf16) {
  if (point < 0x80) {
    utf8 += static_cast<char>(point);
  } else if (point < 0x800) {
    utf8 += static_cast<char>(0xC0 | (point >> 6));
    utf8 += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    utf8 += static_cast<char>(0xE0 | (point >> 12));
    utf8 += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    utf8 += static_cast<char>(0xF0 | (point >> 18));
    utf8 += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
    utf8 += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (point & 0x3F));
  }
  if (point < 0x10000) {
    utf16 += static_cast<char16_t>(point);
  } else {
    utf16 += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
    utf16 += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
  }
}

TEST(MultiByteToWideChar, AgreesWithTheModelOnRandomText) {
  std::mt19937 random(11);
  std::uniform_int_distribution<uint32_t> points(1, 0x10FFFF);
  for (int i = 0; i < 300; ++i) {
    std::string utf8;
    std::u16string utf16;
    const int length = static_cast<int>(random() % 20);
    for (int k = 0; k < length; ++k) {
      char32_t point = points(random);
      if (point >= 0xD800 && point <= 0xDFFF) point -= 0x800;  // no surrogates
      Encode(point, utf8, utf16);
    }
    SCOPED_TRACE(i);
    if (utf8.empty()) continue;
    EXPECT_EQ(Convert(utf8, MB_ERR_INVALID_CHARS), utf16);
  }
}

}  // namespace
