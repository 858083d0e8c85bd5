// HostRoman case, class and hexadecimal-digit tables, checked against the encoding's own lists.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <set>
#include <utility>

#include "strings/char_tables.h"

namespace {

// A byte range, both ends included; a single byte is {b, b}.
struct Range {
  int first;
  int last;
};

std::set<int> Members(std::initializer_list<Range> ranges) {
  std::set<int> out;
  for (Range r : ranges) {
    for (int b = r.first; b <= r.last; ++b) out.insert(b);
  }
  return out;
}

std::set<int> Union(std::set<int> a, const std::set<int>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

// The accented pairs, upper first.
constexpr std::pair<int, int> kAccentedPairs[] = {
    {0x80, 0x8A}, {0x81, 0x8C}, {0x82, 0x8D}, {0x83, 0x8E}, {0x84, 0x96}, {0x85, 0x9A},
    {0x86, 0x9F}, {0xAE, 0xBE}, {0xAF, 0xBF}, {0xCB, 0x88}, {0xCC, 0x8B}, {0xCD, 0x9B},
    {0xCE, 0xCF}, {0xD9, 0xD8}, {0xE5, 0x89}, {0xE6, 0x90}, {0xE7, 0x87}, {0xE8, 0x91},
    {0xE9, 0x8F}, {0xEA, 0x92}, {0xEB, 0x94}, {0xEC, 0x95}, {0xED, 0x93}, {0xEE, 0x97},
    {0xEF, 0x99}, {0xF1, 0x98}, {0xF2, 0x9C}, {0xF3, 0x9E}, {0xF4, 0x9D},
};

TEST(CaseTables, MapExactlyTheLettersAndTheAccentedPairs) {
  int expectedUpper[256];
  int expectedLower[256];
  for (int b = 0; b < 256; ++b) expectedUpper[b] = expectedLower[b] = b;
  for (int c = 'a'; c <= 'z'; ++c) {
    expectedUpper[c] = c - 32;
    expectedLower[c - 32] = c;
  }
  for (auto [upper, lower] : kAccentedPairs) {
    expectedUpper[lower] = upper;
    expectedLower[upper] = lower;
  }
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    EXPECT_EQ(CaseUpperTable[b], expectedUpper[b]);
    EXPECT_EQ(CaseLowerTable[b], expectedLower[b]);
  }
}

TEST(CaseTables, AreInverseOnEveryPairAndAgreeWithTheClassBits) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    int upper = CaseUpperTable[b];
    int lower = CaseLowerTable[b];
    if (upper != b) {  // b is a lower-case letter with an upper-case form
      EXPECT_EQ(CaseLowerTable[upper], b);
      EXPECT_NE(CharClassTable[b] & kCharClassLower, 0);
      EXPECT_NE(CharClassTable[upper] & kCharClassUpper, 0);
    }
    if (lower != b) {
      EXPECT_EQ(CaseUpperTable[lower], b);
      EXPECT_NE(CharClassTable[b] & kCharClassUpper, 0);
    }
    EXPECT_FALSE(upper != b && lower != b);  // no byte is both
    if (b < 0x80) {
      EXPECT_EQ(upper, std::toupper(b));  // ASCII agrees with the C locale
      EXPECT_EQ(lower, std::tolower(b));
    }
  }
}

TEST(CaseTables, Landmarks) {
  EXPECT_EQ(CaseLowerTable[0x80], 0x8A);  // A diaeresis
  EXPECT_EQ(CaseUpperTable[0x8A], 0x80);
  EXPECT_EQ(CaseUpperTable[0xA7], 0xA7);  // sharp s has no upper case
  EXPECT_EQ(CaseUpperTable[0xD8], 0xD9);  // y diaeresis
  EXPECT_EQ(CaseLowerTable[0xD9], 0xD8);
}

TEST(CharClassTable, EveryBitHoldsExactlyItsMembers) {
  const std::set<int> upper = Members({{0x41, 0x5A},
                                       {0x80, 0x86},
                                       {0xAE, 0xAF},
                                       {0xCB, 0xCE},
                                       {0xD9, 0xD9},
                                       {0xE5, 0xEF},
                                       {0xF1, 0xF4}});
  const std::set<int> lower =
      Members({{0x61, 0x7A}, {0x87, 0x9F}, {0xA7, 0xA7}, {0xBE, 0xBF}, {0xCF, 0xCF}, {0xD8, 0xD8}});
  const std::set<int> letters = Union(upper, lower);
  const std::set<int> digits = Members({{0x30, 0x39}});
  const std::set<int> lettersAndDigits = Union(letters, digits);
  const struct {
    int line;
    uint16_t bit;
    std::set<int> members;
  } kRows[] = {
      {__LINE__, kCharClassBreak, Members({{0x08, 0x0B}})},
      {__LINE__, kCharClassUpper, upper},
      {__LINE__, kCharClassLower, lower},
      {__LINE__, kCharClassAlpha, letters},
      {__LINE__, kCharClassDigit, digits},
      {__LINE__, kCharClassHexDigit, Members({{0x30, 0x39}, {0x41, 0x46}, {0x61, 0x66}})},
      {__LINE__, kCharClassSpace, Members({{0x08, 0x0B}, {0x10, 0x14}, {0x20, 0x20}})},
      {__LINE__, kCharClassPlainSpace, Members({{0x20, 0x20}})},
      {__LINE__, kCharClassWord,
       Union(lettersAndDigits, Members({{0x04, 0x06}, {0x1B, 0x1C}, {0x5F, 0x5F}}))},
      {__LINE__, kCharClassLineEnd, Members({{0x09, 0x0B}})},
      {__LINE__, kCharClassSentenceEnd, Members({{0x21, 0x21}, {0x2E, 0x2E}, {0x3F, 0x3F}})},
      {__LINE__, kCharClassWordOrHardHyphen, Union(lettersAndDigits, Members({{0x15, 0x15}}))},
      {__LINE__, kCharClassSpecial, Members({{0x01, 0x06}})},
      {__LINE__, kCharClassLeadIn,
       Members({{0x00, 0x00},
                {0x08, 0x0B},
                {0x10, 0x14},
                {0x20, 0x20},
                {0x22, 0x22},
                {0x28, 0x28},
                {0x3C, 0x3C},
                {0x5B, 0x5B},
                {0x7B, 0x7B},
                {0xD2, 0xD2}})},
      {__LINE__, kCharClassConsonant,
       Members({{0x42, 0x44},
                {0x46, 0x48},
                {0x4A, 0x4E},
                {0x50, 0x54},
                {0x56, 0x5A},
                {0x62, 0x64},
                {0x66, 0x68},
                {0x6A, 0x6E},
                {0x70, 0x74},
                {0x76, 0x7A},
                {0x82, 0x82},
                {0x8D, 0x8D},
                {0xA7, 0xA7},
                {0xD8, 0xD9}})},
      {__LINE__, kCharClassQuoteOrBracket,
       Members({{0x22, 0x22},
                {0x27, 0x29},
                {0x3C, 0x3C},
                {0x3E, 0x3E},
                {0x5B, 0x5B},
                {0x5D, 0x5D},
                {0x7B, 0x7B},
                {0x7D, 0x7D},
                {0xC7, 0xC8},
                {0xD2, 0xD5},
                {0xDC, 0xDD},
                {0xE2, 0xE3}})},
  };
  uint16_t allBits = 0;
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(row.bit & (row.bit - 1), 0) << "one bit per row";
    EXPECT_EQ(allBits & row.bit, 0) << "each bit once";
    allBits |= row.bit;
    for (int b = 0; b < 256; ++b) {
      SCOPED_TRACE(b);
      EXPECT_EQ((CharClassTable[b] & row.bit) != 0, row.members.count(b) == 1);
    }
  }
  EXPECT_EQ(allBits, 0xFFFF);
}

TEST(HexTables, DigitsAndValues) {
  const char* kDigits = "0123456789ABCDEF";
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    EXPECT_EQ(HexDigitChars[b], b < 16 ? kDigits[b] : 0);
    int expected = 0;
    if (b >= '0' && b <= '9') expected = b - '0';
    if (b >= 'A' && b <= 'F') expected = b - 'A' + 10;
    if (b >= 'a' && b <= 'f') expected = b - 'a' + 10;
    EXPECT_EQ(HexDigitValues[b], expected);
    if (b < 16) {
      EXPECT_EQ(HexDigitValues[HexDigitChars[b]], b);  // the two invert each other
    }
  }
}

}  // namespace
