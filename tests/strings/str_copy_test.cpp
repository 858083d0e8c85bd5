// Byte strings: allocation, copying and appending, above all at and past the buffer limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "strings/byte_string.h"
#include "strings/memory.h"
#include "tests/support/fault_injection.h"

namespace {

// A heap buffer holding initial, exactly as large as the operation's size says (or as the
// initial text needs, when that is more), so that AddressSanitizer sees any write past the size.
class Buffer {
 public:
  Buffer(const char* initial, int size)
      : bytes_(std::max<size_t>(size > 0 ? size : 0, std::strlen(initial) + 1)),
        data_(new char[bytes_]) {
    std::memset(data_.get(), '#', bytes_);
    std::memcpy(data_.get(), initial, std::strlen(initial) + 1);
  }
  char* get() { return data_.get(); }
  // The whole block, so that bytes past the terminator are compared too.
  std::string raw() const { return std::string(data_.get(), bytes_); }

 private:
  size_t bytes_;
  std::unique_ptr<char[]> data_;
};

std::string RandomText(std::mt19937& rng, int maxLength) {
  std::uniform_int_distribution<int> length(0, maxLength);
  std::uniform_int_distribution<int> byte(1, 255);
  std::string s(length(rng), ' ');
  for (char& c : s) c = static_cast<char>(byte(rng));
  return s;
}

TEST(StrAlloc, GivesZeroFilledBuffersAndRefusesNegativeSizes) {
  char* s = StrAlloc(7);
  ASSERT_NE(s, nullptr);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(s[i], 0);
  MemFree(s);
  char* empty = StrAlloc(0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], 0);
  MemFree(empty);
  EXPECT_EQ(StrAlloc(-1), nullptr);
  EXPECT_EQ(StrAlloc(INT_MIN), nullptr);
}

TEST(StrCopyNew, CopiesAndFailsQuietly) {
  char* copy = StrCopyNew("abc");
  EXPECT_STREQ(copy, "abc");
  MemFree(copy);
  EXPECT_EQ(StrCopyNew(nullptr), nullptr);
  ScopedAllocationFailure refuse(0);
  EXPECT_EQ(StrCopyNew("abc"), nullptr);
  EXPECT_EQ(StrAlloc(3), nullptr);
  EXPECT_EQ(refuse.refused(), 2);
}

TEST(StrLength, CountsAndBounds) {
  const struct {
    int line;
    const char* s;
    int max;
    int length;
    int lengthN;
  } kRows[] = {
      {__LINE__, nullptr, 5, 0, 0}, {__LINE__, "", 5, 0, 0},         {__LINE__, "abc", 5, 3, 3},
      {__LINE__, "abc", 3, 3, 3},   {__LINE__, "abc", 2, 3, 2},      {__LINE__, "abc", 0, 3, 0},
      {__LINE__, "abc", -1, 3, 0},  {__LINE__, "\xff\x80", 9, 2, 2},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrLength(row.s), row.length);
    EXPECT_EQ(StrLengthN(row.s, row.max), row.lengthN);
  }
  // Never reads past max: three bytes without a terminator.
  std::unique_ptr<char[]> unterminated(new char[3]{'x', 'y', 'z'});
  EXPECT_EQ(StrLengthN(unterminated.get(), 3), 3);
}

TEST(StrCopy, CopiesAndEmpties) {
  Buffer b("zzzzz", 6);
  StrCopy(b.get(), "ab");
  EXPECT_STREQ(b.get(), "ab");
  StrCopy(b.get(), nullptr);
  EXPECT_STREQ(b.get(), "");
  StrCopy(nullptr, "ab");  // does nothing
}

TEST(StrCopyN, AtAndPastTheLimit) {
  const struct {
    int line;
    const char* src;
    int size;
    std::string expected;  // the whole block afterwards; '#' marks bytes left alone
    int result;
  } kRows[] = {
      {__LINE__, "abcdef", 4, std::string("abc\0", 4), 3},
      {__LINE__, "abc", 4, std::string("abc\0", 4), 3},  // exactly the length
      {__LINE__, "abc", 3, std::string("ab\0", 3), 2},
      {__LINE__, "abc", 2, std::string("a\0", 2), 1},
      {__LINE__, "abc", 1, std::string("\0", 1), 0},
      {__LINE__, nullptr, 3, std::string("\0##", 3), 0},
      {__LINE__, "", 3, std::string("\0##", 3), 0},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Buffer b("", row.size);
    std::memset(b.get(), '#', row.size);
    EXPECT_EQ(StrCopyN(b.get(), row.src, row.size), row.result);
    EXPECT_EQ(b.raw(), row.expected);
  }
}

TEST(StrCopyN, SizesOfZeroOrLessWriteNothing) {
  for (int size : {0, -1, INT_MIN}) {
    SCOPED_TRACE(size);
    Buffer b("xyz", size);
    EXPECT_EQ(StrCopyN(b.get(), "abc", size), 0);
    EXPECT_EQ(b.raw(), std::string("xyz\0", 4));
  }
  EXPECT_EQ(StrCopyN(nullptr, "abc", 4), 0);
}

TEST(StrCopyN, AgreesWithSnprintf) {
  std::mt19937 rng(20260601);
  for (int i = 0; i < 2000; ++i) {
    std::string src = RandomText(rng, 40);
    int size = std::uniform_int_distribution<int>(1, 48)(rng);
    SCOPED_TRACE(testing::Message() << "case " << i << " size " << size);
    Buffer mine("", size);
    Buffer peer("", size);
    int copied = StrCopyN(mine.get(), src.c_str(), size);
    std::snprintf(peer.get(), size, "%s", src.c_str());
    EXPECT_EQ(copied, std::min<int>(src.size(), size - 1));
    EXPECT_STREQ(mine.get(), peer.get());
  }
}

TEST(StrTruncate, CutsOnlyInsideTheString) {
  const struct {
    int line;
    int n;
    const char* expected;
  } kRows[] = {
      {__LINE__, 0, ""},    {__LINE__, 2, "ab"},    {__LINE__, 3, "abc"},
      {__LINE__, 4, "abc"}, {__LINE__, 100, "abc"}, {__LINE__, -1, "abc"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Buffer b("abc", 4);  // a write at n >= 5 would leave the block
    StrTruncate(b.get(), row.n);
    EXPECT_STREQ(b.get(), row.expected);
  }
  StrTruncate(nullptr, 0);
}

TEST(StrAppend, AppendsEverything) {
  Buffer b("ab", 8);
  EXPECT_EQ(StrAppend(b.get(), "cde"), 5);
  EXPECT_EQ(StrAppend(b.get(), nullptr), 5);
  EXPECT_EQ(StrAppend(b.get(), ""), 5);
  EXPECT_STREQ(b.get(), "abcde");
  EXPECT_EQ(StrAppend(nullptr, "x"), 0);
}

// Rows shared by the bounded appends: size is the whole buffer's, maxCopy only for Limited.
struct AppendRow {
  int line;
  const char* dst;
  const char* src;
  int maxCopy;
  int size;
  const char* expected;
  int result;
};

TEST(StrAppendN, AtAndPastTheLimit) {
  const AppendRow kRows[] = {
      {__LINE__, "ab", "cde", 0, 8, "abcde", 5},
      {__LINE__, "ab", "cde", 0, 6, "abcde", 5},  // exactly fits
      {__LINE__, "ab", "cde", 0, 5, "abcd", 4},
      {__LINE__, "ab", "cde", 0, 3, "ab", 2},  // already size-1: unchanged
      {__LINE__, "abc", "d", 0, 3, "abc", 3},  // already longer than size-1: unchanged
      {__LINE__, "ab", "cde", 0, 2, "ab", 2},
      {__LINE__, "ab", "cde", 0, 1, "ab", 2},
      {__LINE__, "ab", "cde", 0, 0, "ab", 2},
      {__LINE__, "ab", "cde", 0, -5, "ab", 2},
      {__LINE__, "", "cde", 0, 1, "", 0},
      {__LINE__, "", "cde", 0, 2, "c", 1},
      {__LINE__, "ab", nullptr, 0, 8, "ab", 2},
  };
  for (const AppendRow& row : kRows) {
    SCOPED_TRACE(row.line);
    Buffer b(row.dst, row.size);
    EXPECT_EQ(StrAppendN(b.get(), row.src, row.size), row.result);
    EXPECT_STREQ(b.get(), row.expected);
  }
  EXPECT_EQ(StrAppendN(nullptr, "x", 4), 0);
}

TEST(StrAppendN, AgreesWithSnprintf) {
  std::mt19937 rng(7741);
  for (int i = 0; i < 2000; ++i) {
    std::string dst = RandomText(rng, 20);
    std::string src = RandomText(rng, 20);
    int size = std::uniform_int_distribution<int>(static_cast<int>(dst.size()) + 1, 48)(rng);
    SCOPED_TRACE(testing::Message() << "case " << i << " size " << size);
    Buffer mine(dst.c_str(), size);
    Buffer peer(dst.c_str(), size);
    int length = StrAppendN(mine.get(), src.c_str(), size);
    std::snprintf(peer.get() + dst.size(), size - dst.size(), "%s", src.c_str());
    EXPECT_STREQ(mine.get(), peer.get());
    EXPECT_EQ(length, static_cast<int>(std::strlen(peer.get())));
  }
}

TEST(StrAppendLimited, AtAndPastTheLimit) {
  const AppendRow kRows[] = {
      {__LINE__, "ab", "cdef", 2, 10, "abcd", 4},  {__LINE__, "ab", "cdef", 9, 10, "abcdef", 6},
      {__LINE__, "ab", "cdef", 4, 7, "abcdef", 6},  // both limits exactly met
      {__LINE__, "ab", "cdef", 4, 5, "abcd", 4},    // the size binds first
      {__LINE__, "ab", "cdef", 0, 10, "ab", 2},    {__LINE__, "ab", "cdef", -3, 10, "ab", 2},
      {__LINE__, "abcdef", "x", 5, 4, "abc", 3},  // cut to size-1
      {__LINE__, "abc", "x", 5, 4, "abc", 3},      {__LINE__, "ab", "cd", 5, 2, "a", 1},
      {__LINE__, "ab", "cd", 5, 1, "", 0},    // size 1 empties
      {__LINE__, "ab", "cd", 5, 0, "ab", 2},  // no room even for the terminator: unchanged
      {__LINE__, "ab", "cd", 5, -1, "ab", 2},      {__LINE__, "ab", nullptr, 5, 10, "ab", 2},
  };
  for (const AppendRow& row : kRows) {
    SCOPED_TRACE(row.line);
    Buffer b(row.dst, row.size);
    EXPECT_EQ(StrAppendLimited(b.get(), row.src, row.maxCopy, row.size), row.result);
    EXPECT_STREQ(b.get(), row.expected);
  }
  EXPECT_EQ(StrAppendLimited(nullptr, "x", 1, 4), 0);
}

TEST(StrAppendChar, AtAndPastTheLimit) {
  const struct {
    int line;
    const char* dst;
    int ch;
    int size;
    const char* expected;
    int result;
  } kRows[] = {
      {__LINE__, "ab", 'c', 4, "abc", 3}, {__LINE__, "ab", 'c', 3, "ab", 2},
      {__LINE__, "ab", 'c', 1, "ab", 2},  {__LINE__, "ab", 'c', 0, "ab", 2},
      {__LINE__, "ab", 'c', -1, "ab", 2}, {__LINE__, "", 'c', 2, "c", 1},
      {__LINE__, "", 'c', 1, "", 0},      {__LINE__, "a", 0xE9, 3, "a\xE9", 2},
      {__LINE__, "a", 0, 3, "a", 1},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Buffer b(row.dst, row.size);
    EXPECT_EQ(StrAppendChar(b.get(), row.ch, row.size), row.result);
    EXPECT_STREQ(b.get(), row.expected);
  }
}

TEST(StrAppendInt, FormatsInDecimalWithinTheSize) {
  const struct {
    int line;
    const char* dst;
    int value;
    int size;
    const char* expected;
  } kRows[] = {
      {__LINE__, "n=", 42, 10, "n=42"},
      {__LINE__, "n=", -7, 10, "n=-7"},
      {__LINE__, "", INT_MIN, 12, "-2147483648"},
      {__LINE__, "", INT_MIN, 11, "-214748364"},
      {__LINE__, "", INT_MAX, 64, "2147483647"},
      {__LINE__, "n=", 12345, 5, "n=12"},
      {__LINE__, "n=", 5, 0, "n="},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Buffer b(row.dst, row.size);
    EXPECT_EQ(StrAppendInt(b.get(), row.value, row.size),
              static_cast<int>(std::strlen(row.expected)));
    EXPECT_STREQ(b.get(), row.expected);
  }
}

}  // namespace
