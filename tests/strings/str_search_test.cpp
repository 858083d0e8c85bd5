// Byte strings: searching, editing in place, and reading numbers.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "strings/byte_string.h"

namespace {

TEST(StrFindChar, FirstAndLast) {
  const struct {
    int line;
    const char* s;
    int ch;
    int first;  // index, or -1 for null
    int last;
  } kRows[] = {
      {__LINE__, "abcabc", 'b', 1, 4},  {__LINE__, "abcabc", 'x', -1, -1},
      {__LINE__, "abc", 0, -1, -1},  // the terminator is never found
      {__LINE__, "", 'a', -1, -1},      {__LINE__, nullptr, 'a', -1, -1},
      {__LINE__, "a\xE9z", 0xE9, 1, 1}, {__LINE__, "a\xE9z", -23, 1, 1},  // (char)-23 is 0xE9
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    char* first = StrFindChar(row.s, row.ch);
    char* last = StrFindLastChar(row.s, row.ch);
    EXPECT_EQ(first == nullptr ? -1 : first - row.s, row.first);
    EXPECT_EQ(last == nullptr ? -1 : last - row.s, row.last);
  }
}

TEST(StrFind, ExactAndCaseInsensitive) {
  const struct {
    int line;
    const char* s;
    const char* needle;
    int find;
    int iFind;
  } kRows[] = {
      {__LINE__, "abc", "", 0, 0},          {__LINE__, "", "a", -1, -1},
      {__LINE__, "", "", -1, -1},           {__LINE__, nullptr, "", -1, -1},
      {__LINE__, "abc", nullptr, -1, -1},   {__LINE__, "abcabc", "ca", 2, 2},
      {__LINE__, "abcabc", "CA", -1, 2},    {__LINE__, "aaab", "aab", 1, 1},
      {__LINE__, "abc", "abcd", -1, -1},    {__LINE__, "abc", "c", 2, 2},
      {__LINE__, "x\x80y", "\x8AY", -1, 1},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrFind(row.s, row.needle), row.find);
    EXPECT_EQ(StrIFind(row.s, row.needle), row.iFind);
  }
}

TEST(StrFind, AgreesWithStdStringFind) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> letter('a', 'c');
  auto word = [&](int maxLength) {
    std::string s(std::uniform_int_distribution<int>(0, maxLength)(rng), ' ');
    for (char& c : s) c = static_cast<char>(letter(rng));
    return s;
  };
  for (int i = 0; i < 3000; ++i) {
    std::string s = word(12);
    std::string needle = word(4);
    SCOPED_TRACE(s + " / " + needle);
    size_t at = s.find(needle);
    int expected = s.empty() ? -1 : at == std::string::npos ? -1 : static_cast<int>(at);
    EXPECT_EQ(StrFind(s.c_str(), needle.c_str()), expected);
  }
}

TEST(StrEdit, DeleteTrimReverse) {
  char s[] = "a-b c-d";
  StrDeleteChars(s, "- ");
  EXPECT_STREQ(s, "abcd");
  StrDeleteChars(s, "");
  StrDeleteChars(s, nullptr);
  EXPECT_STREQ(s, "abcd");
  StrDeleteChars(s, "abcd");
  EXPECT_STREQ(s, "");
  StrDeleteChars(nullptr, "a");

  const struct {
    int line;
    const char* s;
    const char* trailing;
    const char* leading;
  } kRows[] = {
      {__LINE__, "  ab  ", "  ab", "ab  "},     {__LINE__, "    ", "", ""}, {__LINE__, "", "", ""},
      {__LINE__, "\tab\t", "\tab\t", "\tab\t"},  // only 0x20 counts
      {__LINE__, "a b", "a b", "a b"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    std::string t = row.s, l = row.s;
    StrTrimTrailing(t.data());
    StrTrimLeading(l.data());
    EXPECT_STREQ(t.c_str(), row.trailing);
    EXPECT_STREQ(l.c_str(), row.leading);
  }
  StrTrimTrailing(nullptr);
  StrTrimLeading(nullptr);
}

TEST(StrReverse, ReversesTheFirstMinOfSizeAndLength) {
  const struct {
    int line;
    const char* s;
    int size;
    const char* expected;
  } kRows[] = {
      {__LINE__, "abcdef", 100, "fedcba"}, {__LINE__, "abcdef", 6, "fedcba"},
      {__LINE__, "abcdef", 3, "cbadef"},   {__LINE__, "abcdef", 2, "bacdef"},
      {__LINE__, "abcdef", 1, "abcdef"},   {__LINE__, "abcdef", 0, "abcdef"},
      {__LINE__, "abcdef", -3, "abcdef"},  {__LINE__, "", 5, ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    std::string s = row.s;
    StrReverse(s.data(), row.size);
    EXPECT_STREQ(s.c_str(), row.expected);
  }
  StrReverse(nullptr, 4);
}

TEST(StrNumbers, ReadLikeTheCRunTime) {
  const struct {
    int line;
    const char* s;
    int asInt;
    int64_t asInt64;
    double asDouble;
  } kRows[] = {
      {__LINE__, nullptr, 0, 0, 0.0},
      {__LINE__, "", 0, 0, 0.0},
      {__LINE__, "  42abc", 42, 42, 42.0},
      {__LINE__, "\t-17.5e1x", -17, -17, -175.0},
      {__LINE__, "+8", 8, 8, 8.0},
      {__LINE__, "abc", 0, 0, 0.0},
      {__LINE__, "2147483647", INT_MAX, INT_MAX, 2147483647.0},
      {__LINE__, "2147483648", INT_MAX, 2147483648LL, 2147483648.0},  // saturates
      {__LINE__, "-2147483649", INT_MIN, -2147483649LL, -2147483649.0},
      {__LINE__, "99999999999999999999", INT_MAX, INT64_MAX, 1e20},
      {__LINE__, "-99999999999999999999", INT_MIN, INT64_MIN, -1e20},
      {__LINE__, "0x1F", 0, 0, 31.0},  // decimal only for the integers
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrToInt(row.s), row.asInt);
    EXPECT_EQ(StrToInt64(row.s), row.asInt64);
    EXPECT_DOUBLE_EQ(StrToDouble(row.s), row.asDouble);
  }
}

TEST(StrNumbers, AgreeWithStrtolOnRandomDecimals) {
  std::mt19937 rng(31337);
  std::uniform_int_distribution<long long> value(INT_MIN, INT_MAX);
  for (int i = 0; i < 2000; ++i) {
    std::string s = std::to_string(value(rng)) + "z";
    SCOPED_TRACE(s);
    EXPECT_EQ(StrToInt(s.c_str()), std::strtol(s.c_str(), nullptr, 10));
    EXPECT_EQ(StrToInt64(s.c_str()), std::strtoll(s.c_str(), nullptr, 10));
  }
}

}  // namespace
