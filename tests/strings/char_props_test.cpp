// ICU character properties of UTF-8 characters and numbers read with digits of any script.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "strings/char_props.h"

namespace {

std::unique_ptr<char[]> Exact(const std::string& bytes) {
  auto block = std::make_unique<char[]>(bytes.size() + 1);
  std::memcpy(block.get(), bytes.c_str(), bytes.size() + 1);
  return block;
}

TEST(CharProps, CaseMappingOfUtf8Characters) {
  struct Row {
    int line;
    const char* in;
    const char* lower;
    const char* upper;
  };
  const Row rows[] = {
      {__LINE__, "A", "a", "A"},
      {__LINE__, "\xC3\x84", "\xC3\xA4", "\xC3\x84"},          // Ä
      {__LINE__, "\xCE\xA3", "\xCF\x83", "\xCE\xA3"},          // Σ
      {__LINE__, "\xC3\x9F", "\xC3\x9F", "\xC3\x9F"},          // ß has no simple upper case
      {__LINE__, "\xE1\xBA\x9E", "\xC3\x9F", "\xE1\xBA\x9E"},  // ẞ lowers to ß (3 → 2 bytes)
      {__LINE__, "\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", "\xF0\x90\x90\x80"},  // Deseret
      {__LINE__, "1", "1", "1"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    char out[4];
    int n = Utf8ToLower(r.in, out);
    EXPECT_EQ(std::string(out, n), r.lower);
    n = Utf8ToUpper(r.in, out);
    EXPECT_EQ(std::string(out, n), r.upper);
  }
}

TEST(CharProps, PropertyTests) {
  struct Row {
    int line;
    const char* in;
    int lower, upper, alpha, digit, alnum, digitValue;
  };
  const Row rows[] = {
      {__LINE__, "a", 1, 0, 1, 0, 1, -1},
      {__LINE__, "Z", 0, 1, 1, 0, 1, -1},
      {__LINE__, "7", 0, 0, 0, 1, 1, 7},
      {__LINE__, "\xD9\xA7", 0, 0, 0, 1, 1, 7},       // Arabic-Indic seven
      {__LINE__, "\xE0\xA5\xA9", 0, 0, 0, 1, 1, 3},   // Devanagari three
      {__LINE__, "\xE2\x85\xA0", 0, 0, 0, 0, 0, -1},  // Roman numeral one: a letter number
      {__LINE__, "\xE4\xB8\xAD", 0, 0, 1, 0, 1, -1},  // CJK ideograph
      {__LINE__, " ", 0, 0, 0, 0, 0, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(Utf8IsLower(r.in), r.lower);
    EXPECT_EQ(Utf8IsUpper(r.in), r.upper);
    EXPECT_EQ(Utf8IsAlpha(r.in), r.alpha);
    EXPECT_EQ(Utf8IsDigit(r.in), r.digit);
    EXPECT_EQ(Utf8IsAlnum(r.in), r.alnum);
    EXPECT_EQ(Utf8DigitValue(r.in), r.digitValue);
  }
  EXPECT_EQ(CharToUpper(0x00E9), 0x00C9);
  EXPECT_EQ(CharToLower(0x0130), 0x0069);
}

TEST(CharProps, NormalizeDigits) {
  struct Row {
    int line;
    std::string in;
    std::string out;
  };
  const Row rows[] = {
      {__LINE__, "\xD9\xA1\xD9\xA2\xD9\xA3", "123"},  // Arabic-Indic
      {__LINE__, "x\xEF\xBC\x94y", "x4y"},            // fullwidth four
      {__LINE__, "\xF0\x9D\x9F\x8E", "0"},            // mathematical bold zero
      {__LINE__, "\xC3\xA9\xE0\xA5\xAF",
       "\xC3\xA9"
       "9"},
      {__LINE__, "\xC2\xB2", "\xC2\xB2"},  // superscript: not decimal
      {__LINE__, "\xC0\xB0", "\xC0\xB0"},  // overlong '0' stays
      {__LINE__, "7\xD9", "7\xD9"},        // cut short at the end
      {__LINE__, "7\xE0\xA5", "7\xE0\xA5"},
      {__LINE__, "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    auto block = Exact(r.in);
    Utf8NormalizeDigits(block.get());
    EXPECT_EQ(std::string(block.get()), r.out);
  }
  Utf8NormalizeDigits(nullptr);
}

TEST(CharProps, NumbersFromAnyScript) {
  struct Row {
    int line;
    const char* in;
    int asInt;
    double asDouble;
  };
  const Row rows[] = {
      {__LINE__, "\xD9\xA1\xD9\xA2\xD9\xA3", 123, 123.0},
      {__LINE__, "-\xE0\xA5\xA8\xE0\xA5\xAB", -25, -25.0},  // Devanagari 25
      {__LINE__, "\xD9\xA3.\xD9\xA5", 3, 3.5},
      {__LINE__, "  42abc", 42, 42.0},
      {__LINE__, "abc", 0, 0.0},
      {__LINE__, "99999999999", 2147483647, 99999999999.0},  // saturates, as the host's atoi
      {__LINE__,
       "-\xD9\xA9\xD9\xA9\xD9\xA9\xD9\xA9\xD9\xA9\xD9\xA9\xD9\xA9\xD9\xA9\xD9\xA9\xD9\xA9",
       -2147483647 - 1, -9999999999.0},
      {__LINE__, nullptr, 0, 0.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(Utf8ToInt(r.in), r.asInt);
    EXPECT_DOUBLE_EQ(Utf8ToDouble(r.in), r.asDouble);
  }
}

}  // namespace
