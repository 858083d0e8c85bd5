// The byte-string operations beside the C library and beside byte-at-a-time models, on seeded
// random strings long enough to cross the word and block steps of the fast paths, with long
// common prefixes and case-only differences. Every string sits in a heap block of exactly its
// size, so that AddressSanitizer catches a read past a terminator; the comparisons, which read
// whole blocks up to a page end on purpose, are checked around page ends instead.
#include <gtest/gtest.h>
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "strings/byte_string.h"
#include "strings/char_tables.h"
#include "tests/support/page_buffer.h"
#include "tests/support/test_system.h"

namespace {

std::unique_ptr<char[]> Exact(const std::string& s) {
  std::unique_ptr<char[]> block(new char[s.size() + 1]);
  std::memcpy(block.get(), s.c_str(), s.size() + 1);
  return block;
}

unsigned char Same(unsigned char c) {
  return c;
}
unsigned char Lower(unsigned char c) {
  return CaseLowerTable[c];
}

// The comparison as the byte loop it stands for: n bytes at most, a shared terminator ends it.
int Model(const char* a, const char* b, int n, unsigned char (*map)(unsigned char)) {
  for (int i = 0; i < n; ++i) {
    int d = map(static_cast<unsigned char>(a[i])) - map(static_cast<unsigned char>(b[i]));
    if (d != 0 || a[i] == 0) return d;
  }
  return 0;
}

int Sign(int v) {
  return (v > 0) - (v < 0);
}

class Strings {
 public:
  explicit Strings(uint32_t seed) : rng_(seed) {}
  int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }

  // Mostly lower-case letters; some upper case, spaces and bytes from 0x80 up.
  char Byte(bool ascii) {
    int kind = Below(16);
    if (!ascii && kind == 0) return static_cast<char>(0x80 + Below(0x80));
    if (kind == 1) return static_cast<char>('A' + Below(4));
    if (kind == 2) return ' ';
    return static_cast<char>('a' + Below(4));
  }
  std::string Text(int maxLength, bool ascii) {
    std::string s(static_cast<size_t>(Below(maxLength + 1)), ' ');
    for (char& c : s) c = Byte(ascii);
    return s;
  }
  // b as a variant of a: the same, a case change, a changed byte, cut short or made longer.
  std::string Variant(const std::string& a, bool ascii) {
    std::string b = a;
    switch (Below(5)) {
      case 0:
        break;
      case 1:
        for (char& c : b)
          if (Below(3) == 0) c = static_cast<char>(CaseUpperTable[static_cast<unsigned char>(c)]);
        break;
      case 2:
        if (!b.empty()) b[static_cast<size_t>(Below(static_cast<int>(b.size())))] = Byte(ascii);
        break;
      case 3:
        b.resize(static_cast<size_t>(Below(static_cast<int>(b.size()) + 1)));
        break;
      default:
        b += Text(8, ascii);
        break;
    }
    return b;
  }

 private:
  std::mt19937 rng_;
};

TEST(ByteStringDifferential, ComparisonsMatchTheByteLoopAndTheCLibrary) {
  Strings gen(0xC0DE5);
  for (int round = 0; round < 6000; ++round) {
    bool ascii = round % 2 == 0;
    std::string sa = gen.Text(300, ascii);
    std::string sb = gen.Variant(sa, ascii);
    auto a = Exact(sa);
    auto b = Exact(sb);
    int n = gen.Below(static_cast<int>(sa.size()) + 8) - 2;
    SCOPED_TRACE(testing::Message() << "round " << round << " n " << n << "\n"
                                    << testing::PrintToString(sa) << "\n"
                                    << testing::PrintToString(sb));
    EXPECT_EQ(StrCompare(a.get(), b.get()), Model(a.get(), b.get(), INT32_MAX, Same));
    EXPECT_EQ(Sign(StrCompare(a.get(), b.get())), Sign(std::strcmp(a.get(), b.get())));
    EXPECT_EQ(StrCompareN(a.get(), b.get(), n), Model(a.get(), b.get(), n, Same));
    if (n >= 0) {
      EXPECT_EQ(Sign(StrCompareN(a.get(), b.get(), n)),
                Sign(std::strncmp(a.get(), b.get(), static_cast<size_t>(n))));
    }
    EXPECT_EQ(StrEqualN(a.get(), b.get(), n),
              n < 1 || Model(a.get(), b.get(), n, Same) == 0 ? 1 : 0);
    EXPECT_EQ(StrICompare(a.get(), b.get()), Model(a.get(), b.get(), INT32_MAX, Lower));
    EXPECT_EQ(StrICompareN(a.get(), b.get(), n), Model(a.get(), b.get(), n, Lower));
    EXPECT_EQ(StrIEqualN(a.get(), b.get(), n),
              n < 1 || Model(a.get(), b.get(), n, Lower) == 0 ? 1 : 0);
    EXPECT_EQ(StrIEqual(a.get(), b.get()), Model(a.get(), b.get(), INT32_MAX, Lower) == 0 ? 1 : 0);
    if (ascii) {  // the C locale folds ASCII as HostRoman does
      EXPECT_EQ(Sign(StrICompare(a.get(), b.get())), Sign(strcasecmp(a.get(), b.get())));
    }
    bool suffix = sb.size() <= sa.size() && sa.compare(sa.size() - sb.size(), sb.size(), sb) == 0;
    EXPECT_EQ(StrHasSuffix(a.get(), b.get()), suffix ? 1 : 0);
    if (HasFailure()) return;
  }
}

TEST(ByteStringDifferential, CopiesAppendsAndSearchesMatchTheCLibrary) {
  Strings gen(0x5EA5C);
  for (int round = 0; round < 3000; ++round) {
    std::string s = gen.Text(300, round % 2 == 0);
    std::string head = gen.Text(20, true);
    auto src = Exact(s);
    int size = gen.Below(static_cast<int>(s.size()) + 30) - 2;
    SCOPED_TRACE(testing::Message()
                 << "round " << round << " size " << size << " " << testing::PrintToString(s));
    int length = static_cast<int>(s.size());
    EXPECT_EQ(StrLengthN(src.get(), size), size <= 0 ? 0 : std::min(length, size));

    std::string room(static_cast<size_t>(std::max(size, 1)), '#');
    int copied = StrCopyN(room.data(), src.get(), size);
    int want = size <= 0 ? 0 : std::min(length, size - 1);
    EXPECT_EQ(copied, want);
    if (size > 0) {
      EXPECT_EQ(std::string(room.c_str()), s.substr(0, static_cast<size_t>(want)));
    }

    std::string appended(static_cast<size_t>(std::max(size, 0)) + head.size() + 1, '#');
    std::memcpy(appended.data(), head.c_str(), head.size() + 1);
    int total = StrAppendN(appended.data(), src.get(), size);
    int headLength = static_cast<int>(head.size());
    int taken = std::max(0, std::min(length, size - 1 - headLength));
    EXPECT_EQ(total, headLength + taken);
    EXPECT_EQ(std::string(appended.c_str()), head + s.substr(0, static_cast<size_t>(taken)));

    // A needle from the text itself, or one that may occur nowhere.
    std::string needle = gen.Below(2) == 0 && length > 0
                             ? s.substr(static_cast<size_t>(gen.Below(length)),
                                        static_cast<size_t>(1 + gen.Below(5)))
                             : gen.Text(4, true);
    auto n = Exact(needle);
    const char* hit = std::strstr(src.get(), n.get());
    int expected = length == 0 ? -1 : hit != nullptr ? static_cast<int>(hit - src.get()) : -1;
    EXPECT_EQ(StrFind(src.get(), n.get()), expected) << testing::PrintToString(needle);
    if (HasFailure()) return;
  }
}

// Strings that end at, just before and just past a page end: the comparisons read whole blocks
// only where both strings have room before a page end, and what lies past a terminator (random
// bytes here) must never decide a result. Lengths, ends, differences and bounds are drawn at
// random over the edges: case pairs, pairs that differ by 0x20 without being letters, accented
// pairs that fold alike, a terminator against a blank.
TEST(ByteStringDifferential, ComparisonsAroundPageEnds) {
  static const unsigned char kAlphabet[] = {'a',  'A',  'b',  'z',  'Z',  '@',  '`',  '[',
                                            '{',  ' ',  0x11, '1',  0x80, 0x8A, 0xE7, 0x87,
                                            0xC0, 0xE0, 0xA7, 0xFF, 0x7F, 0x5F};
  std::mt19937 rng(0x9A6E);
  auto below = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  auto letter = [&] { return static_cast<char>(kAlphabet[below(sizeof kAlphabet)]); };
  PageBuffer buffer;
  constexpr size_t kPage = PageBuffer::kPage;
  for (size_t i = 0; i < PageBuffer::kSize; ++i) *buffer.At(i) = static_cast<char>(rng());
  for (int round = 0; round < 40000; ++round) {
    std::string sa(static_cast<size_t>(below(81)), ' ');
    for (char& c : sa) c = letter();
    std::string sb = sa;
    switch (below(4)) {
      case 0:  // case changes
        for (char& c : sb)
          if (below(2) == 0) c = static_cast<char>(CaseUpperTable[static_cast<unsigned char>(c)]);
        break;
      case 1:  // one byte changed, possibly to a terminator
        if (!sb.empty()) {
          sb[static_cast<size_t>(below(static_cast<int>(sb.size())))] =
              below(8) == 0 ? 0 : letter();
          sb.resize(std::strlen(sb.c_str()));
        }
        break;
      case 2:  // cut short or made longer
        if (below(2) == 0) {
          sb.resize(static_cast<size_t>(below(static_cast<int>(sb.size()) + 1)));
        } else {
          for (int k = below(20); k >= 0; --k) sb += letter();
        }
        break;
      default:
        break;
    }
    // The terminators at kPage and 2 * kPage, give or take 40 bytes: a string ends before a page
    // end, on its last byte, or runs over it.
    size_t endA = kPage + static_cast<size_t>(below(81)) - 40;
    size_t endB = 2 * kPage + static_cast<size_t>(below(81)) - 40;
    char* a = buffer.At(endA - sa.size());
    char* b = buffer.At(endB - sb.size());
    std::memcpy(a, sa.c_str(), sa.size() + 1);
    std::memcpy(b, sb.c_str(), sb.size() + 1);
    for (size_t k = 1; k <= 48; ++k) {
      a[sa.size() + k] = static_cast<char>(rng());
      b[sb.size() + k] = static_cast<char>(rng());
    }
    int n = below(static_cast<int>(std::max(sa.size(), sb.size())) + 20) - 2;
    SCOPED_TRACE(testing::Message() << "round " << round << " n " << n << " ends " << endA % kPage
                                    << " " << endB % kPage << "\n"
                                    << testing::PrintToString(sa) << "\n"
                                    << testing::PrintToString(sb));
    EXPECT_EQ(StrCompare(a, b), Model(a, b, INT32_MAX, Same));
    EXPECT_EQ(StrCompare(b, a), Model(b, a, INT32_MAX, Same));
    EXPECT_EQ(StrCompareN(a, b, n), Model(a, b, n, Same));
    EXPECT_EQ(StrICompare(a, b), Model(a, b, INT32_MAX, Lower));
    EXPECT_EQ(StrICompare(b, a), Model(b, a, INT32_MAX, Lower));
    EXPECT_EQ(StrICompareN(a, b, n), Model(a, b, n, Lower));
    if (HasFailure()) return;
  }
}

// Texts that end on the last bytes of a page that an unreadable page follows, against each other
// at every distance from that end: a block read past the page end faults, and the results match
// the byte loop. Bytes between a terminator and the page end are random.
TEST(ByteStringDifferential, ComparisonsBesideAnUnreadablePage) {
  GuardedPage pageA, pageB;
  char* endA = pageA.end;
  char* endB = pageB.end;
  ASSERT_NE(endA, nullptr);
  ASSERT_NE(endB, nullptr);
  std::mt19937 rng(0x6A2D);
  auto below = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  for (int length = 0; length <= 400; length += 1 + length / 16) {
    for (int gapA = 0; gapA < 40; gapA += 1 + gapA / 8) {
      for (int gapB = 0; gapB < 40; gapB += 1 + gapB / 8) {
        std::string sa(static_cast<size_t>(length), ' ');
        for (char& c : sa) c = static_cast<char>('a' + below(3));
        std::string sb = sa;
        switch (below(4)) {
          case 0:  // case changes
            for (char& c : sb)
              if (below(2) == 0) c = static_cast<char>(c - 'a' + 'A');
            break;
          case 1:  // the last byte changed
            if (!sb.empty()) sb.back() = static_cast<char>('a' + below(3));
            break;
          case 2:  // cut short
            sb.resize(static_cast<size_t>(below(length + 1)));
            break;
          default:
            break;
        }
        for (int k = 1; k <= 40; ++k) {
          endA[-k] = static_cast<char>(1 + below(255));
          endB[-k] = static_cast<char>(1 + below(255));
        }
        char* a = endA - gapA - 1 - static_cast<int>(sa.size());
        char* b = endB - gapB - 1 - static_cast<int>(sb.size());
        std::memcpy(a, sa.c_str(), sa.size() + 1);
        std::memcpy(b, sb.c_str(), sb.size() + 1);
        int n = below(length + 48);
        SCOPED_TRACE(testing::Message() << "gaps " << gapA << " " << gapB << " n " << n << "\n"
                                        << testing::PrintToString(sa) << "\n"
                                        << testing::PrintToString(sb));
        EXPECT_EQ(StrCompare(a, b), Model(a, b, INT32_MAX, Same));
        EXPECT_EQ(StrCompare(b, a), Model(b, a, INT32_MAX, Same));
        EXPECT_EQ(StrEqual(a, b), Model(a, b, INT32_MAX, Same) == 0 ? 1 : 0);
        EXPECT_EQ(StrCompareN(a, b, n), Model(a, b, n, Same));
        EXPECT_EQ(StrICompare(a, b), Model(a, b, INT32_MAX, Lower));
        EXPECT_EQ(StrICompare(b, a), Model(b, a, INT32_MAX, Lower));
        EXPECT_EQ(StrICompareN(b, a, n), Model(b, a, n, Lower));
        if (HasFailure()) return;
      }
    }
  }
}

// Lengths, copies and appends of strings that end around a page end, with random bytes past the
// terminator; and copies whose source and destination overlap, either way round.
TEST(ByteStringDifferential, CopiesAroundPageEndsAndOverlapping) {
  std::mt19937 rng(0xC0B1);
  auto below = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  auto text = [&](int length) {
    std::string s(static_cast<size_t>(length), ' ');
    for (char& c : s) c = static_cast<char>(1 + below(255));
    return s;
  };
  PageBuffer buffer;
  constexpr size_t kPage = PageBuffer::kPage;
  for (size_t i = 0; i < PageBuffer::kSize; ++i) *buffer.At(i) = static_cast<char>(rng());
  for (int round = 0; round < 20000; ++round) {
    std::string s = text(below(81));
    size_t end = kPage + static_cast<size_t>(below(81)) - 40;
    char* src = buffer.At(end - s.size());
    std::memcpy(src, s.c_str(), s.size() + 1);
    for (size_t k = 1; k <= 48; ++k) src[s.size() + k] = static_cast<char>(rng());
    int length = static_cast<int>(s.size());
    int size = below(length + 40) - 2;
    SCOPED_TRACE(testing::Message() << "round " << round << " end " << end % kPage << " size "
                                    << size << " " << testing::PrintToString(s));
    EXPECT_EQ(StrLength(src), length);

    std::string copy(s.size() + 8, '#');
    StrCopy(copy.data(), src);
    EXPECT_EQ(copy, s + '\0' + std::string(7, '#'));

    std::string bounded(static_cast<size_t>(std::max(size, 0)) + 8, '#');
    int want = size <= 0 ? 0 : std::min(length, size - 1);
    EXPECT_EQ(StrCopyN(bounded.data(), src, size), want);
    std::string expected(bounded.size(), '#');
    if (size > 0) {
      std::memcpy(expected.data(), s.data(), static_cast<size_t>(want));
      expected[static_cast<size_t>(want)] = 0;
    }
    EXPECT_EQ(bounded, expected);

    std::string head = text(below(40));
    std::string appended = head + std::string(s.size() + 8, '#');
    appended[head.size()] = 0;
    EXPECT_EQ(StrAppend(appended.data(), src), static_cast<int>(head.size() + s.size()));
    EXPECT_EQ(appended, head + s + '\0' + std::string(7, '#'));

    // The same text inside one block, copied over itself shifted by up to 40 bytes either way.
    std::string block = text(length + 90);
    std::memcpy(block.data() + 45, s.c_str(), s.size() + 1);
    std::string moved = block;
    int shift = below(81) - 40;
    std::memmove(moved.data() + 45 + shift, s.c_str(), s.size() + 1);
    StrCopy(block.data() + 45 + shift, block.data() + 45);
    EXPECT_EQ(block, moved) << "shift " << shift;
    if (HasFailure()) return;
  }
}

// Lengths, copies and appends of texts that end on the last bytes of a page an unreadable page
// follows, at every distance from that end and at lengths that cross several blocks: a block read
// past the page end faults. Then the same texts copied within their page to a destination below or
// above them, overlapping or not, bounded or not: the result is memmove's.
TEST(ByteStringDifferential, CopiesBesideAnUnreadablePage) {
  GuardedPage page;
  char* end = page.end;
  ASSERT_NE(end, nullptr);
  std::mt19937 rng(0x9A6E);
  auto below = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  for (int length = 0; length <= 700; length += 1 + length / 12) {
    for (int gap = 0; gap < 70; gap += 1 + gap / 6) {
      std::string s(static_cast<size_t>(length), ' ');
      for (char& c : s) c = static_cast<char>(1 + below(255));
      for (int k = 1; k <= 800; ++k) end[-k] = static_cast<char>(1 + below(255));
      char* src = end - gap - 1 - length;
      std::memcpy(src, s.c_str(), s.size() + 1);
      int size = below(length + 40) - 2;
      int want = size <= 0 ? 0 : std::min(length, size - 1);
      SCOPED_TRACE(testing::Message() << "length " << length << " gap " << gap << " size " << size);
      EXPECT_EQ(StrLength(src), length);

      std::string copy(s.size() + 8, '#');
      StrCopy(copy.data(), src);
      EXPECT_EQ(copy, s + '\0' + std::string(7, '#'));

      std::string bounded(static_cast<size_t>(std::max(size, 0)) + 8, '#');
      EXPECT_EQ(StrCopyN(bounded.data(), src, size), want);
      std::string expected(bounded.size(), '#');
      if (size > 0) {
        std::memcpy(expected.data(), s.data(), static_cast<size_t>(want));
        expected[static_cast<size_t>(want)] = 0;
      }
      EXPECT_EQ(bounded, expected);

      std::string head(static_cast<size_t>(below(40)), 'h');
      std::string appended = head + std::string(s.size() + 8, '#');
      appended[head.size()] = 0;
      EXPECT_EQ(StrAppend(appended.data(), src), static_cast<int>(head.size() + s.size()));
      EXPECT_EQ(appended, head + s + '\0' + std::string(7, '#'));

      int appendSize = static_cast<int>(head.size()) + size;
      std::string appendedN = head + std::string(static_cast<size_t>(std::max(size, 0)) + 8, '#');
      appendedN[head.size()] = 0;
      int total = StrAppendN(appendedN.data(), src, appendSize);
      int room = std::max(0, appendSize - 1 - static_cast<int>(head.size()));
      int added = std::min(length, room);
      EXPECT_EQ(total, static_cast<int>(head.size()) + added);
      EXPECT_EQ(std::string(appendedN.c_str()), head + s.substr(0, static_cast<size_t>(added)));

      // Within the page: the destination up to 300 bytes below or above the text.
      int shift = below(601) - 300;
      if (src + shift + length + 1 <= end && src + shift >= end - 4000 && src + shift != src) {
        std::string before(end - 4000, end);
        std::string after = before;
        size_t at = static_cast<size_t>(src - (end - 4000));
        bool bound = below(2) == 0;
        int limit = below(length + 2) + 1;
        int n = bound ? std::min(length, limit - 1) : length;
        std::memmove(after.data() + at + shift, s.data(), static_cast<size_t>(n));
        after[at + static_cast<size_t>(shift + n)] = 0;
        if (bound) {
          EXPECT_EQ(StrCopyN(src + shift, src, limit), n) << "shift " << shift;
        } else {
          StrCopy(src + shift, src);
        }
        EXPECT_EQ(std::string(end - 4000, end), after) << "shift " << shift << " bound " << bound;
      }
      if (HasFailure()) return;
    }
  }
}

// A field with no terminator that fills its page up to an unreadable one, copied, appended and
// compared with a bound that ends at the page end: nothing past the bound is read.
TEST(ByteStringDifferential, BoundsThatEndAtAPageEndReadNoFurther) {
  GuardedPage page;
  char* end = page.end;
  ASSERT_NE(end, nullptr);
  std::mt19937 rng(0x5EA1);
  for (int k = 1; k <= 1200; ++k) end[-k] = static_cast<char>(1 + rng() % 255);
  for (int length = 0; length <= 1200; length += 1 + length / 20) {
    const char* field = end - length;
    std::string bytes(field, static_cast<size_t>(length));
    SCOPED_TRACE(testing::Message() << "length " << length);
    EXPECT_EQ(StrLengthN(field, length), length);
    std::string copy(static_cast<size_t>(length) + 8, '#');
    EXPECT_EQ(StrCopyN(copy.data(), field, length + 1), length);
    EXPECT_EQ(copy, bytes + '\0' + std::string(7, '#'));
    std::string appended = "ab" + std::string(static_cast<size_t>(length) + 8, '#');
    appended[2] = 0;
    EXPECT_EQ(StrAppendN(appended.data(), field, length + 3), length + 2);
    EXPECT_EQ(appended, "ab" + bytes + '\0' + std::string(7, '#'));
    EXPECT_EQ(StrCompareN(field, copy.c_str(), length), 0);
    EXPECT_EQ(StrICompareN(copy.c_str(), field, length), 0);
    if (HasFailure()) return;
  }
}

}  // namespace
