// The byte-string operations beside the C library and beside byte-at-a-time models, on seeded
// random strings long enough to cross the word and block steps of the fast paths, with long
// common prefixes and case-only differences. Every string sits in a heap block of exactly its
// size, so that AddressSanitizer catches a read past a terminator.
#include <gtest/gtest.h>
#include <strings.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "strings/byte_string.h"
#include "strings/char_tables.h"

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

}  // namespace
