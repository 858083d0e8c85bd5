// Collation with the default locale's collator, pinned to English so that the answers do not depend
// on the machine's locale (a POSIX locale orders all capitals first).
#include <gtest/gtest.h>
#include <unicode/uloc.h>

#include "strings/collation.h"

namespace {

class Collation : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Utf8SetDefaultLocale("en_US"), 0);
  }
};

TEST_F(Collation, Characters) {
  struct Row {
    int line;
    const char* a;
    const char* b;
    int expected;
  };
  const Row rows[] = {
      {__LINE__, "a", "A", 0},
      {__LINE__, "a", "b", -1},
      {__LINE__, "b", "a", 1},
      {__LINE__, "\xC3\xA9", "e", 1},         // é after e
      {__LINE__, "\xC3\x89", "\xC3\xA9", 0},  // É = é
      {__LINE__, "a", "", 1},
      {__LINE__, nullptr, "", 0},
      {__LINE__, "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x81", -1},  // surrogate pairs
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(Utf8CharCompare(r.a, r.b), r.expected);
  }
}

TEST_F(Collation, Strings) {
  struct Row {
    int line;
    const char* a;
    const char* b;
    int secondary;
    int tertiary;
  };
  const Row rows[] = {
      {__LINE__, "a", "A", 0, -1},
      {__LINE__, "a", "b", -1, -1},
      {__LINE__, "resume", "r\xC3\xA9sum\xC3\xA9", -1, -1},
      {__LINE__, "R\xC3\xA9sum\xC3\xA9", "r\xC3\xA9sum\xC3\xA9", 0, 1},
      {__LINE__, "\xC3\xA9", "e\xCC\x81", 0, 0},  // composed = decomposed
      {__LINE__, "cote", "cot\xC3\xA9", -1, -1},
      {__LINE__, "apple", "Banana", -1, -1},  // not byte order
      {__LINE__, "\xFF", "???", 0, 0},        // invalid UTF-8 reads as "???"
      {__LINE__, "ab\xC3", "???", 0, 0},
      {__LINE__, nullptr, "", 0, 0},
      {__LINE__, "x", nullptr, 1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(Utf8CollateSecondary(r.a, r.b), r.secondary);
    EXPECT_EQ(Utf8CollateTertiary(r.a, r.b), r.tertiary);
    EXPECT_EQ(Utf8CollateSecondary(r.b, r.a), -r.secondary);
    EXPECT_EQ(Utf8CollateTertiary(r.b, r.a), -r.tertiary);
  }
}

// The cached collators follow a change of the default locale made through the library: Swedish
// sorts a-diaeresis after z, English beside a; the way back to English must be followed too.
TEST_F(Collation, FollowsTheDefaultLocaleWhenItChanges) {
  struct Row {
    int line;
    int (*compare)(const char*, const char*);
  };
  const Row rows[] = {
      {__LINE__, Utf8CharCompare},
      {__LINE__, Utf8CollateSecondary},
      {__LINE__, Utf8CollateTertiary},
  };
  const char* aUmlaut = "\xC3\xA4";
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(r.compare(aUmlaut, "b"), -1);
    for (const char* locale : {"sv", "en_US", "sv_SE"}) {
      SCOPED_TRACE(locale);
      ASSERT_EQ(Utf8SetDefaultLocale(locale), 0);
      ASSERT_STREQ(uloc_getDefault(), locale);
      EXPECT_EQ(r.compare(aUmlaut, "b"), locale[0] == 's' ? 1 : -1);
      EXPECT_EQ(r.compare(aUmlaut, "z"), locale[0] == 's' ? 1 : -1);
    }
    ASSERT_EQ(Utf8SetDefaultLocale("en_US"), 0);
  }
}

}  // namespace
