// Multibyte string operations on hand-picked text: the cases where a byte-wise operation would cut
// or match inside a character, the ends of the text, and the UTF-8 editing operations.
#include <gtest/gtest.h>
#include <unicode/uloc.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "encoding/dialog_encoding.h"
#include "strings/byte_string.h"
#include "strings/multibyte.h"
#include "strings/str_array.h"
#include "tests/support/fault_injection.h"

namespace {

// The collator is opened once per process: pin its locale to English before any test runs, so
// that the answers do not depend on the machine's locale (a POSIX locale orders capitals first).
class EnglishCollation : public testing::Environment {
 public:
  void SetUp() override {
    UErrorCode error = U_ZERO_ERROR;
    uloc_setDefault("en_US", &error);
    ASSERT_TRUE(U_SUCCESS(error));
  }
};
testing::Environment* const kEnglishCollation =
    testing::AddGlobalTestEnvironment(new EnglishCollation);

constexpr int kRoman = kDialogHostRoman;
constexpr int kSjis = kDialogShiftJis;
constexpr int kKsc = kDialogKsc5601;
constexpr int kBig5 = kDialogBig5;
constexpr int kGb = kDialogGb2312;
constexpr int kUtf8 = kDialogUtf8;

// A heap block of exactly size bytes holding initial, so that AddressSanitizer sees any write
// past the size; the bytes after the text are '#'.
class Buffer {
 public:
  Buffer(const std::string& initial, int size)
      : bytes_(std::max<size_t>(size > 0 ? size : 1, initial.size() + 1)), data_(new char[bytes_]) {
    std::memset(data_.get(), '#', bytes_);
    std::memcpy(data_.get(), initial.c_str(), initial.size() + 1);
  }
  char* get() { return data_.get(); }
  std::string text() const { return data_.get(); }

 private:
  size_t bytes_;
  std::unique_ptr<char[]> data_;
};

TEST(MbIsTrailPosition, FindsTheSecondByteOfACharacterByStepping) {
  struct Row {
    int line;
    const char* s;
    int pos;
    int enc;
    int expected;
  };
  const Row rows[] = {
      {__LINE__, "A\x82\xA0", 2, kSjis, 1},
      {__LINE__, "A\x82\xA0", 1, kSjis, 0},
      {__LINE__, "\x82\x82\xA0", 2, kSjis, 0},      // 82 82 is a character, then A0 alone
      {__LINE__, "\x82\x82\x82\xA0", 3, kSjis, 1},  // the pairs are found from the start
      {__LINE__, "\x82\x82\x82\xA0", 2, kSjis, 0},
      {__LINE__, "A\x82\xA0", 3, kSjis, 0},  // at the end
      {__LINE__, "A\x82\xA0", 9, kSjis, 0},  // past the end
      {__LINE__, "A\x82\xA0", 0, kSjis, 0},
      {__LINE__, "A\x82\xA0", -1, kSjis, 0},
      {__LINE__, "A\x82\xA0", 2, kRoman, 0},  // HostRoman has no two-byte characters
      {__LINE__, "\xB0\xA1", 1, kKsc, 1},
      {__LINE__, "\xA4\x40", 1, kBig5, 1},
      {__LINE__, "\xA4\x40", 1, kKsc, 0},  // 0x40 is no trail byte in KSC 5601
      {__LINE__, "\x81\x40", 1, kGb, 1},
      {__LINE__, "\xC3\xA9", 1, kUtf8, 0},
      {__LINE__, nullptr, 1, kSjis, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(MbIsTrailPosition(row.s, row.pos, row.enc), row.expected);
  }
}

TEST(Utf8BackToBoundary, StepsBackToTheFirstByteOfTheCharacter) {
  struct Row {
    int line;
    const char* s;
    int pos;
    int expected;
  };
  const Row rows[] = {
      {__LINE__, "ab\xE2\x82\xAC", 2, 2},
      {__LINE__, "ab\xE2\x82\xAC", 3, 2},
      {__LINE__, "ab\xE2\x82\xAC", 4, 2},
      {__LINE__, "ab\xE2\x82\xAC", 5, 5},  // at the end
      {__LINE__, "ab\xE2\x82\xAC", 7, 7},
      {__LINE__, "\xF0\x9F\x98\x80", 3, 0},
      {__LINE__, "a\x80\x80\x80\x80", 4,
       4},  // stray continuation bytes are characters of their own
      {__LINE__, "a\x80", 1, 1},
      {__LINE__, "\xC3\xA9\xA9", 2, 2},  // a continuation byte beyond the sequence's reach
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Utf8BackToBoundary(row.s, row.pos), row.expected);
  }
}

TEST(MbCopyN, NeverCopiesHalfACharacter) {
  struct Row {
    int line;
    const char* src;
    int size;
    int enc;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "A\x82\xA0", 3, kSjis, "A"},
      {__LINE__, "A\x82\xA0", 4, kSjis, "A\x82\xA0"},
      {__LINE__, "A\x82\xA0", 3, kRoman, "A\x82"},
      {__LINE__, "ab\xE2\x82\xAC", 4, kUtf8, "ab"},
      {__LINE__, "ab\xE2\x82\xAC", 5, kUtf8, "ab"},
      {__LINE__, "ab\xE2\x82\xAC", 6, kUtf8, "ab\xE2\x82\xAC"},
      {__LINE__, "abc", 1, kUtf8, ""},
      {__LINE__, nullptr, 4, kSjis, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Buffer dst("zzzzzzzz", row.size);
    EXPECT_EQ(MbCopyN(dst.get(), row.src, row.size, row.enc),
              static_cast<int>(std::strlen(row.expected)));
    EXPECT_EQ(dst.text(), row.expected);
  }
  Buffer untouched("keep", 5);
  EXPECT_EQ(MbCopyN(untouched.get(), "x", 0, kUtf8), 0);
  EXPECT_EQ(MbCopyN(untouched.get(), "x", -3, kUtf8), 0);
  EXPECT_EQ(untouched.text(), "keep");
  EXPECT_EQ(MbCopyN(nullptr, "x", 5, kUtf8), 0);
}

TEST(MbTruncate, CutsAtACharacterBoundaryOrNotAtAll) {
  struct Row {
    int line;
    const char* s;
    int n;
    int enc;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "A\x82\xA0z", 2, kSjis, "A"},
      {__LINE__, "A\x82\xA0z", 3, kSjis, "A\x82\xA0"},
      {__LINE__, "a\xC3\xA9", 2, kUtf8, "a"},
      {__LINE__, "a\xC3\xA9", 3, kUtf8, "a\xC3\xA9"},  // n at the length: nothing to cut
      {__LINE__, "a\xC3\xA9", 50, kUtf8, "a\xC3\xA9"},
      {__LINE__, "abc", 50, kSjis, "abc"},
      {__LINE__, "abc", 0, kRoman, ""},
      {__LINE__, "abc", -1, kUtf8, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Buffer s(row.s, 0);  // exactly the text: a zero written at n past the end would be caught
    MbTruncate(s.get(), row.n, row.enc);
    EXPECT_EQ(s.text(), row.expected);
  }
  MbTruncate(nullptr, 3, kUtf8);
}

TEST(MbAppend, AppendsWholeCharactersOnly) {
  struct Row {
    int line;
    const char* dst;
    const char* src;
    int size;
    int maxCopy;  // -1: MbAppendN
    int enc;
    const char* expected;
    int result;
  };
  const Row rows[] = {
      {__LINE__, "x", "A\x82\xA0", 4, -1, kSjis, "xA", 2},
      {__LINE__, "x", "A\x82\xA0", 5, -1, kSjis, "xA\x82\xA0", 4},
      {__LINE__, "x", "\xC3\xA9\xC3\xA9", 5, -1, kUtf8, "x\xC3\xA9", 3},
      {__LINE__, "abc", "d", 4, -1, kUtf8, "abc", 3},  // no room: nothing written
      {__LINE__, "abc", "d", 2, -1, kUtf8, "abc", 3},
      {__LINE__, "abc", "", 9, -1, kUtf8, "abc", 0},  // empty src gives 0
      {__LINE__, "abc", nullptr, 9, -1, kUtf8, "abc", 0},
      {__LINE__, "x", "\xC3\xA9\xC3\xA9", 9, 3, kUtf8, "x\xC3\xA9", 3},
      {__LINE__, "x", "\xC3\xA9\xC3\xA9", 9, 4, kUtf8, "x\xC3\xA9\xC3\xA9", 5},
      {__LINE__, "x", "A\x82\xA0", 9, 2, kSjis, "xA", 2},
      {__LINE__, "x", "abc", 3, 9, kRoman, "xa", 2},
      {__LINE__, "abc", "d", 3, 9, kRoman, "abc", 3},
      {__LINE__, "abc", "d", 9, 0, kRoman, "abc", 3},
      {__LINE__, "abc", nullptr, 9, 5, kRoman, "abc", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Buffer dst(row.dst, row.size);
    int result = row.maxCopy < 0
                     ? MbAppendN(dst.get(), row.src, row.size, row.enc)
                     : MbAppendLimited(dst.get(), row.src, row.size, row.maxCopy, row.enc);
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(dst.text(), row.expected);
  }
  EXPECT_EQ(MbAppendN(nullptr, "a", 5, kUtf8), 0);
  EXPECT_EQ(MbAppendLimited(nullptr, "a", 5, 5, kUtf8), 0);
}

TEST(MbAppendChar, AppendsOnlyWhenTheWholeCharacterFits) {
  Buffer dst("ab", 5);
  EXPECT_EQ(MbAppendChar(dst.get(), 0x82, 0xA0, 5, kSjis), 4);
  EXPECT_EQ(MbAppendChar(dst.get(), 'c', 0, 5, kSjis), 4);  // 5 bytes would need size 6
  EXPECT_EQ(dst.text(), "ab\x82\xA0");
  Buffer one("a", 3);
  EXPECT_EQ(MbAppendChar(one.get(), 0x82, 0xA0, 3, kSjis), 1);
  EXPECT_EQ(MbAppendChar(one.get(), 'b', 0, 3, kSjis), 2);
  EXPECT_EQ(MbAppendChar(one.get(), 0, 0, 3, kSjis), 0);
  EXPECT_EQ(one.text(), "ab");
}

TEST(MbCharCount, CountsCharacters) {
  struct Row {
    int line;
    const char* s;
    int enc;
    int expected;
  };
  const Row rows[] = {
      {__LINE__, "a\xC3\xA9\xE2\x82\xAC", kUtf8, 3},
      {__LINE__, "a\xC3\xA9\xE2\x82\xAC", kRoman, 6},
      {__LINE__, "A\x82\xA0\x82", kSjis, 3},  // a lead byte at the end stands alone
      {__LINE__, "\xE2\x82", kUtf8, 1},       // a cut sequence is one character, not more
      {__LINE__, "\xF0", kUtf8, 1},
      {__LINE__, "", kUtf8, 0},
      {__LINE__, nullptr, kSjis, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(MbCharCount(row.s, row.enc), row.expected);
  }
}

TEST(MbFind, MatchesOnlyAtCharacterBoundaries) {
  struct Row {
    int line;
    const char* s;
    const char* needle;
    int enc;
    int expected;
  };
  const Row rows[] = {
      {__LINE__, "\x82\xA0", "\xA0", kSjis, -1},  // the trail byte of a character
      {__LINE__, "\x82\xA0", "\xA0", kRoman, 1},
      {__LINE__, "\x82\xA0\xA0", "\xA0", kSjis, 2},
      {__LINE__, "x\xC3\xA9\xA9", "\xA9", kUtf8, 3},
      {__LINE__,
       "ab\xE2\x82\xAC"
       "cd",
       "cd", kUtf8, 5},
      {__LINE__, "\xE2\x82", "\x82", kUtf8, -1},  // a cut sequence at the end is one character
      {__LINE__, "abc", "", kUtf8, 0},
      {__LINE__, "", "a", kUtf8, -1},
      {__LINE__, nullptr, "a", kUtf8, -1},
      {__LINE__, "abc", nullptr, kUtf8, -1},
      {__LINE__, "abc", "abcd", kUtf8, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(MbFind(row.s, row.needle, row.enc), row.expected);
  }
}

TEST(MbFindChar, FindsWholeCharactersFirstAndLast) {
  const char* s =
      "\x82\xA0"
      "A\x82\xA0"
      "A";
  EXPECT_EQ(MbFindChar(s, 0x82, 0xA0, kSjis), s);
  EXPECT_EQ(MbFindLastChar(s, 0x82, 0xA0, kSjis), s + 3);
  EXPECT_EQ(MbFindChar(s, 'A', 0, kSjis), s + 2);
  EXPECT_EQ(MbFindLastChar(s, 'A', 0, kSjis), s + 5);
  EXPECT_EQ(MbFindChar(s, 0xA0, 0, kSjis), nullptr);  // only ever a trail byte here
  EXPECT_EQ(MbFindChar(s, 0xA0, 0, kRoman), s + 1);
  EXPECT_EQ(MbFindChar(s, 0x82, 0, kSjis), nullptr);
  EXPECT_EQ(MbFindLastChar(s, 0, 0, kSjis), nullptr);
  EXPECT_EQ(MbFindChar("", 'A', 0, kSjis), nullptr);
  EXPECT_EQ(MbFindChar(nullptr, 'A', 0, kSjis), nullptr);
}

TEST(Utf8Find, FindsCharactersAndSetMembers) {
  const char* s =
      "a\xC3\xA9"
      "b\xC3\xA9\xA9";
  EXPECT_EQ(Utf8FindChar(s, "\xC3\xA9"), s + 1);
  EXPECT_EQ(Utf8FindLastChar(s, "\xC3\xA9"), s + 4);
  EXPECT_EQ(Utf8FindChar(s, "\xA9"), s + 6);  // the stray byte, not the one inside a character
  EXPECT_EQ(Utf8FindChar(s, "\xC3"), nullptr);
  EXPECT_EQ(Utf8FindChar(s, ""), nullptr);
  EXPECT_EQ(Utf8FindChar(s, nullptr), nullptr);
  EXPECT_EQ(Utf8FindFirstOf(s, "xb\xC3\xA9"), s + 1);
  EXPECT_EQ(Utf8FindFirstOf(s, "b"), s + 3);
  EXPECT_EQ(Utf8FindFirstOf(s, "\xA9"), s + 6);
  EXPECT_EQ(Utf8FindFirstOf(s, ""), nullptr);
  EXPECT_EQ(Utf8FindFirstOf(s, nullptr), nullptr);
  EXPECT_EQ(Utf8FindLastChar(nullptr, "a"), nullptr);
}

// Before any scan there is no position to continue from. CTest runs each case in a process of its
// own; in a whole run this case comes before every other scan of this program.
TEST(Utf8Tokenize, ContinuingBeforeAnyScanGivesNull) {
  EXPECT_EQ(Utf8Tokenize(nullptr, ","), nullptr);
  EXPECT_EQ(Utf8Tokenize(nullptr, nullptr), nullptr);
}

TEST(Utf8Tokenize, KeepsOnePositionAcrossCalls) {
  char text[] = "a,,b";
  EXPECT_STREQ(Utf8Tokenize(text, ","), "a");
  EXPECT_STREQ(Utf8Tokenize(nullptr, ","), "b");
  EXPECT_EQ(Utf8Tokenize(nullptr, ","), nullptr);
  EXPECT_EQ(Utf8Tokenize(nullptr, ","), nullptr);  // stays at the end

  // Multibyte delimiters are zeroed whole; the position after them is kept.
  char wide[] =
      "\xE2\x82\xAC"
      "one\xE2\x82\xAC\xC3\xA9two\xC3\xA9";
  const char* delimiters = "\xC3\xA9\xE2\x82\xAC";
  char* first = Utf8Tokenize(wide, delimiters);
  EXPECT_EQ(first, wide + 3);
  EXPECT_STREQ(first, "one");
  EXPECT_EQ(wide[6], 0);
  EXPECT_EQ(wide[7], 0);
  EXPECT_EQ(wide[8], 0);
  EXPECT_STREQ(Utf8Tokenize(nullptr, delimiters), "two");
  EXPECT_EQ(Utf8Tokenize(nullptr, delimiters), nullptr);

  // A cut sequence at the end neither reads past the terminator nor counts as a delimiter.
  char cut[] = "x\xE2\x82";
  EXPECT_STREQ(Utf8Tokenize(cut, "\xE2\x82\xAC"), "x\xE2\x82");
  EXPECT_EQ(Utf8Tokenize(nullptr, "\xE2\x82\xAC"), nullptr);

  char same[] = "abc";
  EXPECT_EQ(Utf8Tokenize(same, ""), same);  // no delimiters: the position as it is
  EXPECT_EQ(Utf8Tokenize(nullptr, nullptr), same);
}

TEST(MbCompare, ComparesByCharacters) {
  struct Row {
    int line;
    const char* a;
    const char* b;
    int enc;
    int iequal;    // MbIEqual
    int icompare;  // the sign of MbICompare
  };
  const Row rows[] = {
      {__LINE__, "abc", "ABD", kRoman, 0, -1},
      {__LINE__, "abc", "ABC", kRoman, 1, 0},
      {__LINE__, "\x80x", "\x8AX", kRoman, 1, 0},  // HostRoman accented pair
      {__LINE__,
       "\x82\xA0"
       "a",
       "\x82\xA0"
       "A",
       kSjis, 1, 0},
      {__LINE__, "\x82\xA0", "\x82\xA1", kSjis, 0, -1},
      {__LINE__, "\x82\xA0", "b", kSjis, 0, 1},  // a two-byte character weighs lead*256+trail
      {__LINE__, "ab", "abc", kSjis, 0, -1},
      {__LINE__, "a\xC3\xA9", "A\xC3\x89", kUtf8, 1, 0},  // é and É differ only in case
      {__LINE__, "e", "\xC3\xA9", kUtf8, 0, -1},          // but accents count
      {__LINE__, "abc", "ab", kUtf8, 0, 1},
      {__LINE__, "", nullptr, kUtf8, 1, 0},
  };
  auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(MbIEqual(row.a, row.b, row.enc), row.iequal);
    EXPECT_EQ(sign(MbICompare(row.a, row.b, row.enc)), row.icompare);
    EXPECT_EQ(sign(MbICompare(row.b, row.a, row.enc)), -row.icompare);
  }
  EXPECT_EQ(MbICompare("abc", "ABD", kRoman), 'c' - 'd');
  EXPECT_EQ(MbICompare("\x82\xA0", "b", kSjis), 0x82A0 - 'b');
  EXPECT_LT(MbICompareThenCase("Abc", "abc", kSjis), 0);
  EXPECT_LT(MbICompareThenCase("abc", "ABD", kSjis), 0);
  EXPECT_LT(Utf8ICompareThenCase("A\xC3\xA9", "a\xC3\xA9"), 0);
  const char* items[] = {"b", "A"};
  EXPECT_GT(MbSortCompare(&items[0], &items[1], kRoman), 0);
  EXPECT_GT(Utf8SortCompare(&items[0], &items[1]), 0);
}

TEST(MbCompare, BoundedComparisonsCountWholeCharacters) {
  struct Row {
    int line;
    const char* a;
    const char* b;
    int n;
    int enc;
    int iequalN;
    int icompareN;  // sign
    int compareN;   // sign
  };
  const Row rows[] = {
      {__LINE__, "abX", "ABy", 2, kRoman, 1, 0, 1},
      {__LINE__, "abX", "ABy", 3, kRoman, 0, -1, 1},
      {__LINE__, "\x82\xA0X", "\x82\xA0Y", 2, kSjis, 1, 0, 0},
      {__LINE__, "\x82\xA0X", "\x82\xA1X", 1, kSjis, 0, -1, -1},  // the character is used whole
      {__LINE__, "\xC3\xA9x", "\xC3\x89y", 2, kUtf8, 1, 0, 1},
      {__LINE__, "\xC3\xA9", "\xC3\xB6", 1, kUtf8, 0, -1, -1},  // é, ö: the character whole
      {__LINE__, "abc", "xyz", 0, kUtf8, 1, 0, 0},
      {__LINE__, "abc", "xyz", -2, kUtf8, 1, 0, 0},
  };
  auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(MbIEqualN(row.a, row.b, row.n, row.enc), row.iequalN);
    EXPECT_EQ(sign(MbICompareN(row.a, row.b, row.n, row.enc)), row.icompareN);
    EXPECT_EQ(sign(MbCompareN(row.a, row.b, row.n, row.enc)), row.compareN);
  }
  EXPECT_EQ(MbIEqualN("x", "x", 0, kUtf8), 1);
}

TEST(MbAffixes, PrefixAndSuffixRespectCharacters) {
  EXPECT_EQ(MbIHasPrefix("\x82\xA0"
                         "abc",
                         "\x82\xA0"
                         "AB",
                         kSjis),
            1);
  EXPECT_EQ(MbIHasPrefix("abc", "", kSjis), 1);
  EXPECT_EQ(MbIHasPrefix("ab", "abc", kSjis), 0);
  EXPECT_EQ(MbIHasSuffix("x\x82\xA0"
                         "a",
                         "\xA0"
                         "A",
                         kSjis),
            0);  // starts inside a character
  EXPECT_EQ(MbIHasSuffix("x\x82\xA0"
                         "a",
                         "\xA0"
                         "A",
                         kRoman),
            1);
  EXPECT_EQ(MbIHasSuffix("x\x82\xA0"
                         "a",
                         "\x82\xA0"
                         "A",
                         kSjis),
            1);
  EXPECT_EQ(MbIHasSuffix("a\xC3\xA9", "\xC3\x89", kUtf8), 1);
  EXPECT_EQ(MbIHasSuffix("a\xC3\xA9", "\xA9", kUtf8), 0);
  EXPECT_EQ(MbIHasSuffix("a", "ab", kUtf8), 0);
  EXPECT_EQ(MbIHasSuffix(nullptr, "a", kUtf8), 0);
  EXPECT_EQ(MbIHasSuffix(nullptr, nullptr, kUtf8), 1);
}

TEST(Utf8Compare, OrdersByCodePoints) {
  auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
  EXPECT_EQ(Utf8Compare("\xC3\xA9", "\xE2\x82\xAC"), 0xE9 - 0x20AC);
  EXPECT_EQ(sign(Utf8Compare("ab", "abc")), -1);
  EXPECT_EQ(sign(Utf8Compare("abc", "ab")), 1);
  EXPECT_EQ(Utf8Compare("abc", "abc"), 0);
  EXPECT_EQ(sign(Utf8Compare("Z", "a")), -1);
  EXPECT_EQ(sign(Utf8ICompareN("aBc", "AbD", 2)), 0);
  EXPECT_EQ(sign(Utf8ICompareN("aBc", "AbD", 3)), -1);
  EXPECT_EQ(sign(Utf8ICompareN("\xC3\xA9\xC3\xA9x", "\xC3\x89\xC3\x89y", 2)), 0);
  EXPECT_EQ(Utf8IEqualN("\xC3\xA9\xC3\xA9x", "\xC3\x89\xC3\x89y", 2), 1);
  EXPECT_EQ(Utf8IEqualN("\xC3\xA9\xC3\xA9x", "\xC3\x89\xC3\x89y", 3), 0);
  EXPECT_EQ(Utf8IEqualN("a", "b", 0), 1);
}

TEST(Utf8Append, AppendsWholeCharactersCountedAsCharacters) {
  Buffer dst("a", 4);
  EXPECT_EQ(Utf8AppendChar(dst.get(), "\xC3\xA9z", 4), 3);
  EXPECT_EQ(Utf8AppendChar(dst.get(), "b", 4), 3);  // full
  EXPECT_EQ(dst.text(), "a\xC3\xA9");
  Buffer tight("a", 4);
  EXPECT_EQ(Utf8AppendChar(tight.get(), "\xE2\x82\xAC", 4), 1);
  EXPECT_EQ(Utf8AppendChar(tight.get(), "\xE2\x82", 4), 3);  // a cut sequence: only its bytes
  EXPECT_EQ(tight.text(), "a\xE2\x82");

  // Size and the result count characters; the destination holds four bytes per character.
  Buffer chars("\xC3\xA9", 4 * 4);
  EXPECT_EQ(Utf8AppendLimited(chars.get(), "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 4, 9), 3);
  EXPECT_EQ(chars.text(), "\xC3\xA9\xE2\x82\xAC\xE2\x82\xAC");
  Buffer limited("", 16);
  EXPECT_EQ(Utf8AppendLimited(limited.get(), "abc\xC3\xA9", 9, 2), 2);
  EXPECT_EQ(limited.text(), "ab");

  Buffer copy("zzzzzzzzzz", 11);
  EXPECT_EQ(Utf8CopyChars(copy.get(),
                          "a\xC3\xA9\xE2\x82\xAC"
                          "b",
                          3),
            3);
  EXPECT_EQ(copy.text(), "a\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(Utf8CopyChars(copy.get(), "ab", 5), 2);
  EXPECT_EQ(copy.text(), "ab");
  EXPECT_EQ(Utf8CopyChars(copy.get(), nullptr, 5), 0);
  EXPECT_EQ(copy.text(), "");
}

TEST(Utf8Reverse, ReversesCharactersKeepingTheirBytes) {
  struct Row {
    int line;
    const char* s;
    int count;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "a\xC3\xA9", 2,
       "\xC3\xA9"
       "a"},
      {__LINE__,
       "a\xC3\xA9\xE2\x82\xAC"
       "b",
       3,
       "\xE2\x82\xAC\xC3\xA9"
       "ab"},
      {__LINE__, "abc", 99, "cba"},
      {__LINE__, "abc", 1, "abc"},
      {__LINE__, "abc", 0, "abc"},
      {__LINE__, "a\xE2\x82", 5,
       "\xE2\x82"
       "a"},  // a cut sequence at the end moves whole
      {__LINE__, "", 3, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Buffer s(row.s, 0);
    Utf8Reverse(s.get(), row.count);
    EXPECT_EQ(s.text(), row.expected);
  }
  Buffer s("ab", 0);
  ScopedAllocationFailure refuse;
  EXPECT_EQ(RaisedCode([&] { Utf8Reverse(s.get(), 2); }), 1);
}

TEST(Utf8Remove, DeletesCharactersAndNeedles) {
  Buffer s(
      "a\xC3\xA9"
      "b\xE2\x82\xAC\xC3\xA9"
      "c\xE2\x82",
      0);
  Utf8DeleteChars(s.get(), "\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(s.text(), "abc\xE2\x82");  // the cut sequence is not the euro sign
  Utf8DeleteChars(s.get(), "\xE2");    // a lead byte alone matches no character here
  EXPECT_EQ(s.text(), "abc\xE2\x82");
  Utf8DeleteChars(s.get(), "");
  Utf8DeleteChars(s.get(), nullptr);
  EXPECT_EQ(s.text(), "abc\xE2\x82");

  struct Row {
    int line;
    const char* s;
    const char* needle;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "aabb", "ab", "ab"},  // the join after a removal is not searched again
      {__LINE__, "xabyabz", "ab", "xyz"},
      {__LINE__, "\xC3\xA9\xA9", "\xA9", "\xC3\xA9"},  // only at character boundaries
      {__LINE__, "abc", "", "abc"},
      {__LINE__, "abc", nullptr, "abc"},
      {__LINE__, "aaa", "a", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Buffer text(row.s, 0);
    Utf8RemoveAll(text.get(), row.needle);
    EXPECT_EQ(text.text(), row.expected);
  }

  StrArray* list = StrArrayNew(4, 4);
  ASSERT_NE(list, nullptr);
  StrArrayAppend(list, "b");
  StrArrayAppend(list, "");  // an empty item removes nothing and must not stall
  StrArrayAppend(list, "\xC3\xA9");
  Buffer many(
      "ab\xC3\xA9"
      "cb",
      0);
  Utf8RemoveAllOf(many.get(), list);
  EXPECT_EQ(many.text(), "ac");
  Utf8RemoveAllOf(many.get(), nullptr);
  StrArrayClear(list);
}

}  // namespace
