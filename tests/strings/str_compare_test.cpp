// Byte strings: equality, prefixes, suffixes and ordering, exact and HostRoman case-insensitive.
#include <gtest/gtest.h>

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/cpu_features.h"
#include "strings/byte_compare_internal.h"
#include "strings/byte_string.h"
#include "strings/char_tables.h"

namespace {

int Sign(int v) {
  return (v > 0) - (v < 0);
}

// The comparisons take the baseline when TANSEL_CPU_BASELINE asks for it (the strings tests run
// once that way), and otherwise the wider path wherever the processor runs it.
TEST(ByteComparePath, BaselineOnRequestWiderWhereTheProcessorHasIt) {
  const char* forced = std::getenv("TANSEL_CPU_BASELINE");
  if (forced != nullptr && std::strcmp(forced, "1") == 0) {
    EXPECT_FALSE(ByteCompareUsesWidePath());
  } else if (forced == nullptr) {
    EXPECT_EQ(ByteCompareUsesWidePath(), CpuRunsAvx2() && Avx2ByteCompareCode() != nullptr);
  }
}

TEST(StrEqual, NullReadsAsEmpty) {
  const struct {
    int line;
    const char* a;
    const char* b;
    int equal;
    int iEqual;
  } kRows[] = {
      {__LINE__, nullptr, "", 1, 1},        {__LINE__, nullptr, "a", 0, 0},
      {__LINE__, nullptr, nullptr, 1, 1},   {__LINE__, "Tansel", "Tansel", 1, 1},
      {__LINE__, "Tansel", "tansel", 0, 1}, {__LINE__, "Tansel", "Tanse", 0, 0},
      {__LINE__, "\x80", "\x8A", 0, 1},     {__LINE__, "\xA7", "SS", 0, 0},
      {__LINE__, "\xD8", "\xD9", 0, 1},     {__LINE__, "\x80", "\x81", 0, 0},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrEqual(row.a, row.b), row.equal);
    EXPECT_EQ(StrEqual(row.b, row.a), row.equal);
    EXPECT_EQ(StrIEqual(row.a, row.b), row.iEqual);
    EXPECT_EQ(StrIEqual(row.b, row.a), row.iEqual);
  }
}

TEST(StrEqualN, ComparesTheFirstNBytes) {
  const struct {
    int line;
    const char* a;
    const char* b;
    int n;
    int equal;
    int iEqual;
  } kRows[] = {
      {__LINE__, "abcX", "abcY", 3, 1, 1}, {__LINE__, "abcX", "abcY", 4, 0, 0},
      {__LINE__, "abc", "abc", 10, 1, 1},  // a shared terminator ends the comparison
      {__LINE__, "abc", "abcd", 10, 0, 0}, {__LINE__, "abc", "abcd", 3, 1, 1},
      {__LINE__, "ABC", "abd", 2, 0, 1},   {__LINE__, "x", "y", 0, 1, 1},
      {__LINE__, "x", "y", -4, 1, 1},      {__LINE__, nullptr, "", 5, 1, 1},
      {__LINE__, nullptr, "a", 1, 0, 0},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrEqualN(row.a, row.b, row.n), row.equal);
    EXPECT_EQ(StrIEqualN(row.a, row.b, row.n), row.iEqual);
  }
  const char* same = "whatever";
  EXPECT_EQ(StrEqualN(same, same, 100), 1);
}

TEST(StrIEqualLoose, SkipsSpacesAndHyphens) {
  const struct {
    int line;
    const char* a;
    const char* b;
    int equal;
  } kRows[] = {
      {__LINE__, "Shift-JIS", "shift jis", 1},
      {__LINE__, "ShiftJIS", "shift - jis", 1},
      {__LINE__, "-a-", "A", 1},
      {__LINE__, " ", nullptr, 1},
      {__LINE__, "abc", "ab", 0},
      {__LINE__, "ab", "abc", 0},
      {__LINE__, "ab c", "abd", 0},
      {__LINE__, "Big5", "BIG 5 ", 1},
      {__LINE__, "a_b", "a b", 0},  // only space and hyphen are skipped
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrIEqualLoose(row.a, row.b), row.equal);
    EXPECT_EQ(StrIEqualLoose(row.b, row.a), row.equal);
  }
}

TEST(StrHasPrefixAndSuffix, Edges) {
  const struct {
    int line;
    const char* s;
    const char* affix;
    int prefix;
    int iPrefix;
    int suffix;
    int iSuffix;
  } kRows[] = {
      {__LINE__, "abc", "", 1, 1, 1, 1},          {__LINE__, "abc", nullptr, 1, 1, 1, 1},
      {__LINE__, nullptr, "", 1, 1, 1, 1},        {__LINE__, nullptr, "a", 0, 0, 0, 0},
      {__LINE__, "abc", "abc", 1, 1, 1, 1},       {__LINE__, "a", "ab", 0, 0, 0, 0},
      {__LINE__, "abc", "AB", 0, 1, 0, 0},        {__LINE__, "abc", "BC", 0, 0, 0, 1},
      {__LINE__, "abc", "bc", 0, 0, 1, 1},        {__LINE__, "\x80x", "\x8A", 0, 1, 0, 0},
      {__LINE__, "file.TXT", ".txt", 0, 0, 0, 1},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrHasPrefix(row.s, row.affix), row.prefix);
    EXPECT_EQ(StrIHasPrefix(row.s, row.affix), row.iPrefix);
    EXPECT_EQ(StrHasSuffix(row.s, row.affix), row.suffix);
    EXPECT_EQ(StrIHasSuffix(row.s, row.affix), row.iSuffix);
  }
}

TEST(StrHasPrefixN, UsesAtMostNBytesOfThePrefix) {
  const struct {
    int line;
    const char* s;
    const char* prefix;
    int n;
    int result;
  } kRows[] = {
      {__LINE__, "abc", "abX", 2, 1}, {__LINE__, "abc", "abX", 3, 0}, {__LINE__, "abc", "ab", 9, 1},
      {__LINE__, "a", "ab", 2, 0},    {__LINE__, "a", "ab", 1, 1},    {__LINE__, "a", "X", 0, 1},
      {__LINE__, "a", "X", -1, 1},    {__LINE__, nullptr, "a", 1, 0},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrHasPrefixN(row.s, row.prefix, row.n), row.result);
  }
}

TEST(StrCompare, DifferencesOfUnsignedBytes) {
  const struct {
    int line;
    const char* a;
    const char* b;
    int n;
    int compare;
    int compareN;
    int iCompare;
    int iCompareN;
  } kRows[] = {
      {__LINE__, "abc", "abc", 5, 0, 0, 0, 0},
      {__LINE__, "abc", "abd", 5, 'c' - 'd', 'c' - 'd', 'c' - 'd', 'c' - 'd'},
      {__LINE__, "abc", "abd", 2, 'c' - 'd', 0, 'c' - 'd', 0},
      {__LINE__, "ab", "abc", 5, -'c', -'c', -'c', -'c'},
      {__LINE__, "\xE9", "a", 5, 0xE9 - 'a', 0xE9 - 'a', 0x8F - 'a', 0x8F - 'a'},  // unsigned
      {__LINE__, "ABC", "abd", 5, 'A' - 'a', 'A' - 'a', 'c' - 'd', 'c' - 'd'},
      {__LINE__, "x", "y", 0, 'x' - 'y', 0, 'x' - 'y', 0},
      {__LINE__, "x", "y", -1, 'x' - 'y', 0, 'x' - 'y', 0},
      {__LINE__, nullptr, "", 5, 0, 0, 0, 0},
      {__LINE__, nullptr, "a", 5, -'a', -'a', -'a', -'a'},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrCompare(row.a, row.b), row.compare);
    EXPECT_EQ(StrCompareN(row.a, row.b, row.n), row.compareN);
    EXPECT_EQ(StrICompare(row.a, row.b), row.iCompare);
    EXPECT_EQ(StrICompareN(row.a, row.b, row.n), row.iCompareN);
  }
}

std::string RandomWord(std::mt19937& rng, const char* alphabet) {
  size_t letters = std::strlen(alphabet);
  std::string s(std::uniform_int_distribution<int>(0, 6)(rng), ' ');
  for (char& c : s) c = alphabet[std::uniform_int_distribution<size_t>(0, letters - 1)(rng)];
  return s;
}

TEST(StrCompare, AgreesWithTheCRunTimeOnRandomText) {
  std::mt19937 rng(424242);
  // A small alphabet so that long common prefixes and case-only differences are frequent.
  const char* kAscii = "aAbB-_ 0~";
  const char* kHigh = "aA\x80\x8A\xE9\x8F\xFF";
  for (int i = 0; i < 4000; ++i) {
    std::string a = RandomWord(rng, i % 2 ? kAscii : kHigh);
    std::string b = RandomWord(rng, i % 2 ? kAscii : kHigh);
    int n = std::uniform_int_distribution<int>(0, 8)(rng);
    SCOPED_TRACE(testing::Message() << '"' << a << "\" \"" << b << "\" " << n);
    EXPECT_EQ(Sign(StrCompare(a.c_str(), b.c_str())), Sign(std::strcmp(a.c_str(), b.c_str())));
    EXPECT_EQ(Sign(StrCompareN(a.c_str(), b.c_str(), n)),
              Sign(std::strncmp(a.c_str(), b.c_str(), n)));
    EXPECT_EQ(StrEqual(a.c_str(), b.c_str()), a == b ? 1 : 0);
    if (i % 2) {  // ASCII only: the C locale's case folding is HostRoman's
      EXPECT_EQ(Sign(StrICompare(a.c_str(), b.c_str())), Sign(strcasecmp(a.c_str(), b.c_str())));
      EXPECT_EQ(Sign(StrICompareN(a.c_str(), b.c_str(), n)),
                Sign(strncasecmp(a.c_str(), b.c_str(), n)));
    }
    // Folding both sides first gives the same order as folding inside.
    std::string la = a, lb = b;
    for (char& c : la) c = static_cast<char>(CaseLowerTable[static_cast<unsigned char>(c)]);
    for (char& c : lb) c = static_cast<char>(CaseLowerTable[static_cast<unsigned char>(c)]);
    EXPECT_EQ(StrICompare(a.c_str(), b.c_str()), StrCompare(la.c_str(), lb.c_str()));
    EXPECT_EQ(StrIEqual(a.c_str(), b.c_str()), la == lb ? 1 : 0);
    int thenCase = StrICompareThenCase(a.c_str(), b.c_str());
    EXPECT_EQ(Sign(thenCase), la != lb ? Sign(StrCompare(la.c_str(), lb.c_str()))
                                       : Sign(StrCompare(a.c_str(), b.c_str())));
  }
}

// Equal texts that end anywhere inside a long comparison's blocks (the first of a multi-block step
// included), followed by bytes that differ: nothing past a shared terminator decides. Texts that
// differ only at the terminator's place order as the C run-time orders them.
TEST(StrCompare, TerminatorsInsideEveryBlockOfALongStep) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> letter('a', 'z');
  alignas(64) char a[512];
  alignas(64) char b[512];
  for (int shiftA = 0; shiftA < 16; shiftA += 5) {
    for (int shiftB = 0; shiftB < 16; shiftB += 3) {
      for (int length = 0; length < 200; ++length) {
        SCOPED_TRACE(testing::Message() << length << " +" << shiftA << " +" << shiftB);
        char* x = a + shiftA;
        char* y = b + shiftB;
        for (int i = 0; i < 300; ++i) {
          x[i] = static_cast<char>(letter(rng));
          y[i] = static_cast<char>('0' + letter(rng) % 10);  // after the terminator: other bytes
        }
        std::memcpy(y, x, static_cast<size_t>(length));
        x[length] = 0;
        y[length] = 0;
        EXPECT_EQ(StrCompare(x, y), 0);
        EXPECT_EQ(StrICompare(x, y), 0);
        EXPECT_EQ(StrEqual(x, y), 1);
        EXPECT_EQ(StrCompareN(x, y, length + 64), 0);
        EXPECT_EQ(StrICompareN(x, y, length + 1), 0);
        // One text goes on where the other ends.
        y[length] = 'q';
        EXPECT_EQ(Sign(StrCompare(x, y)), Sign(std::strcmp(x, y)));
        EXPECT_EQ(Sign(StrICompare(x, y)), Sign(strcasecmp(x, y)));
        EXPECT_EQ(Sign(StrCompare(y, x)), Sign(std::strcmp(y, x)));
        EXPECT_EQ(Sign(StrCompareN(y, x, length + 1)), Sign(std::strncmp(y, x, length + 1)));
      }
    }
  }
}

TEST(StrICompareThenCase, Ordering) {
  const struct {
    int line;
    const char* a;
    const char* b;
    int sign;
  } kRows[] = {
      {__LINE__, "abc", "ABD", -1}, {__LINE__, "Abc", "abc", -1},   {__LINE__, "abc", "Abc", 1},
      {__LINE__, "abc", "abc", 0},  {__LINE__, "ab", "ABC", -1},  // a prefix sorts first
      {__LINE__, "ABC", "ab", 1},   {__LINE__, "AB", "ab", -1},     {__LINE__, "", "A", -1},
      {__LINE__, nullptr, "", 0},   {__LINE__, "\x80", "\x8A", -1},  // A-diaeresis, both cases
      {__LINE__, "\x8A", "b", 1},                                    // folded 0x8A sorts after 'b'
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Sign(StrICompareThenCase(row.a, row.b)), row.sign);
    EXPECT_EQ(Sign(StrICompareThenCase(row.b, row.a)), -row.sign);
  }
}

TEST(StrSortCompare, SortsWithQsort) {
  std::vector<const char*> words = {"abd", "ABC", "abc", "Abc", "ab", "b", "", "AB", "ab"};
  std::qsort(words.data(), words.size(), sizeof(const char*), StrSortCompare);
  std::vector<std::string> sorted(words.begin(), words.end());
  std::vector<std::string> expected = {"", "AB", "ab", "ab", "ABC", "Abc", "abc", "abd", "b"};
  EXPECT_EQ(sorted, expected);
}

}  // namespace
