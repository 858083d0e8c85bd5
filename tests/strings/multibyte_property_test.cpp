// Properties of the bounded multibyte operations over random text in every dialog encoding: what
// they leave is always whole characters, a prefix of the input, and the longest such prefix that
// the bound admits. The text is generated piece by piece, so its character boundaries are known
// without asking the library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "encoding/dialog_encoding.h"
#include "strings/byte_copy_internal.h"
#include "strings/format.h"
#include "strings/multibyte.h"
#include "strings/utf8.h"
#include "tests/support/page_buffer.h"
#include "tests/support/test_system.h"

namespace {

// Text with the byte index of every character start, and of its end.
struct Text {
  std::string bytes;
  std::vector<int> boundaries;  // ascending, 0 and the length included

  // The longest prefix of whole characters no longer than limit.
  int Cut(int limit) const {
    int best = 0;
    for (int b : boundaries)
      if (b <= limit) best = b;
    return best;
  }
  bool IsBoundary(int pos) const {
    return std::binary_search(boundaries.begin(), boundaries.end(), pos);
  }
  int chars() const { return static_cast<int>(boundaries.size()) - 1; }
};

// What a generator draws: the mix of every kind of character, or long texts of mostly-ASCII
// words, of wide characters only, or of UTF-8 with broken sequences (which the stepping
// still divides: a lead byte takes the bytes it announces, a stray continuation byte stands alone).
enum class Style { kMixed, kMostlyAscii, kAllWide, kBrokenUtf8 };

class TextGenerator {
 public:
  TextGenerator(int enc, uint32_t seed, Style style = Style::kMixed)
      : enc_(enc), table_(EncLeadTrailTable(enc)), rng_(seed), style_(style) {}

  int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }

  Text Make(int maxChars) {
    Text text;
    text.boundaries.push_back(0);
    for (int n = Below(maxChars + 1); n > 0; --n) {
      if (style_ != Style::kMixed)
        AddStyled(text);
      else if (enc_ == kDialogUtf8)
        AddUtf8(text);
      else if (enc_ == kDialogHostRoman)
        Add(text, {Byte(1, 255)});
      else
        AddDoubleByte(text);
    }
    // Sometimes a character cut short by the terminator: a lead byte alone at the end.
    if (Below(8) == 0) {
      if (enc_ == kDialogUtf8)
        Add(text, {static_cast<char>(0xE2), static_cast<char>(0x82)});
      else if (table_ != nullptr && enc_ != kDialogHostRoman)
        Add(text, {Lead()});
    }
    return text;
  }

 private:
  char Byte(int low, int high) { return static_cast<char>(low + Below(high - low + 1)); }

  void Add(Text& text, std::initializer_list<char> character) {
    text.bytes.append(character.begin(), character.end());
    text.boundaries.push_back(static_cast<int>(text.bytes.size()));
  }

  char Lead() {
    for (;;) {
      char c = Byte(0x80, 0xFF);
      if (table_->lead[static_cast<unsigned char>(c)]) return c;
    }
  }
  char Trail() {
    for (;;) {
      char c = Byte(0x40, 0xFF);
      if (table_->trail[static_cast<unsigned char>(c)]) return c;
    }
  }
  // A byte that starts no two-byte character (and, with notTrail, could not end one either).
  char Single(bool notTrail) {
    for (;;) {
      char c = Byte(1, 255);
      auto u = static_cast<unsigned char>(c);
      if (!table_->lead[u] && !(notTrail && table_->trail[u])) return c;
    }
  }

  void AddDoubleByte(Text& text) {
    switch (Below(4)) {
      case 0:
        Add(text, {Single(false)});
        break;
      case 1:  // a lead byte that meets no trail byte stands alone
        Add(text, {Lead()});
        Add(text, {Single(true)});
        break;
      default:
        Add(text, {Lead(), Trail()});
        break;
    }
  }

  void AddUtf8(Text& text) { AddUtf8From(text, 0); }

  // A UTF-8 character of a length drawn from first + 1 to four bytes.
  void AddUtf8From(Text& text, int first) {
    static const int32_t kRanges[4][2] = {
        {0x01, 0x7F}, {0x80, 0x7FF}, {0x800, 0xFFFF}, {0x10000, 0x10FFFF}};
    const int32_t* range = kRanges[first + Below(4 - first)];
    char out[4];
    int n = Utf8Encode(range[0] + Below(range[1] - range[0] + 1), out);
    text.bytes.append(out, static_cast<size_t>(n));
    text.boundaries.push_back(static_cast<int>(text.bytes.size()));
  }

  // A wide character: two bytes of the tables, or a UTF-8 character of two to four bytes.
  void AddWide(Text& text) {
    if (enc_ == kDialogHostRoman) {
      Add(text, {Byte(0x80, 0xFF)});
      return;
    }
    if (enc_ != kDialogUtf8) {
      Add(text, {Lead(), Trail()});
      return;
    }
    AddUtf8From(text, 1);
  }

  void AddStyled(Text& text) {
    if (style_ == Style::kAllWide || (style_ == Style::kMostlyAscii && Below(8) == 0)) {
      AddWide(text);
    } else if (style_ == Style::kMostlyAscii) {
      Add(text, {Below(6) == 0 ? ' ' : Byte('a', 'e')});
    } else if (Below(3) != 0) {
      AddWide(text);
    } else if (Below(2) == 0) {
      Add(text, {Byte(0x80, 0xBF)});  // a stray continuation byte
    } else {
      // A lead byte followed by as many bytes as it announces, of any kind but zero.
      std::string broken(1, Byte(0xC2, 0xF4));
      while (broken.size() <
             static_cast<size_t>(Utf8SequenceLength(static_cast<unsigned char>(broken[0]))))
        broken += Below(2) == 0 ? Byte('a', 'c') : Byte(0x80, 0xFF);
      text.bytes += broken;
      text.boundaries.push_back(static_cast<int>(text.bytes.size()));
    }
  }

  int enc_;
  const LeadTrailTable* table_;
  std::mt19937 rng_;
  Style style_;
};

// A heap block of exactly size bytes (at least one) holding initial, so that AddressSanitizer
// catches a write past the size.
std::unique_ptr<char[]> Block(const std::string& initial, int size) {
  size_t bytes = std::max<size_t>(std::max(size, 1), initial.size() + 1);
  std::unique_ptr<char[]> block(new char[bytes]);
  std::memset(block.get(), '#', bytes);
  std::memcpy(block.get(), initial.c_str(), initial.size() + 1);
  return block;
}

int FormatV(char* buffer, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = FmtStringV(buffer, size, format, args);
  va_end(args);
  return written;
}

class MultibyteProperties : public testing::TestWithParam<int> {
 protected:
  void SetUp() override { saved_ = CurrentDialogEncoding; }
  void TearDown() override { CurrentDialogEncoding = saved_; }
  DialogEncoding saved() const { return saved_; }

 private:
  DialogEncoding saved_ = 0;
};

TEST_P(MultibyteProperties, BoundedOperationsKeepWholeCharactersOfAPrefix) {
  const int enc = GetParam();
  TextGenerator gen(enc, 0xB0D1E5 + static_cast<uint32_t>(enc));
  for (int round = 0; round < 400; ++round) {
    Text src = gen.Make(12);
    Text head = gen.Make(4);
    const int length = static_cast<int>(src.bytes.size());
    const int size = gen.Below(length + 6) - 1;  // from -1 to past the length
    SCOPED_TRACE(testing::Message() << "round " << round << " size " << size << " src "
                                    << testing::PrintToString(src.bytes));

    // MbCopyN: the longest whole-character prefix within size - 1.
    auto copy = Block("", size);
    int copied = MbCopyN(copy.get(), src.bytes.c_str(), size, enc);
    if (size < 1) {
      EXPECT_EQ(copied, 0);
      EXPECT_EQ(copy[0], 0);  // Block leaves the empty string: nothing was written over it
    } else {
      EXPECT_EQ(copied, src.Cut(size - 1));
      EXPECT_EQ(std::string(copy.get()), src.bytes.substr(0, copied));
    }

    // MbTruncate: the same cut in place; n at or past the length changes nothing.
    auto cut = Block(src.bytes, 0);
    MbTruncate(cut.get(), size, enc);
    int kept = size < 0 ? 0 : size >= length ? length : src.Cut(size);
    EXPECT_EQ(std::string(cut.get()), src.bytes.substr(0, kept));

    // MbAppendN and MbAppendLimited after a head of whole characters.
    const int headLength = static_cast<int>(head.bytes.size());
    const int appendSize = size + headLength;
    const int room = appendSize - 1 - headLength;
    auto appended = Block(head.bytes, appendSize);
    int result = MbAppendN(appended.get(), src.bytes.c_str(), appendSize, enc);
    if (length == 0) {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(std::string(appended.get()), head.bytes);
    } else {
      int taken = room > 0 ? src.Cut(room) : 0;
      EXPECT_EQ(result, headLength + taken);
      EXPECT_EQ(std::string(appended.get()), head.bytes + src.bytes.substr(0, taken));
    }
    const int maxCopy = gen.Below(length + 2);
    auto limited = Block(head.bytes, appendSize);
    result = MbAppendLimited(limited.get(), src.bytes.c_str(), appendSize, maxCopy, enc);
    int taken = std::min(room, maxCopy) > 0 ? src.Cut(std::min(room, maxCopy)) : 0;
    EXPECT_EQ(result, headLength + taken);
    EXPECT_EQ(std::string(limited.get()), head.bytes + src.bytes.substr(0, taken));

    // The string sink cuts formatted output the same way, from an argument and from the format.
    CurrentDialogEncoding = enc;
    auto formatted = Block("", size);
    int written = FormatV(formatted.get(), size, "%s", src.bytes.c_str());
    EXPECT_EQ(written, size < 1 ? 0 : src.Cut(size - 1));
    if (size >= 1) {
      EXPECT_EQ(std::string(formatted.get()), src.bytes.substr(0, written));
    }
    if (src.bytes.find('%') == std::string::npos) {
      auto literal = Block("", size);
      written = FormatV(literal.get(), size, src.bytes.c_str());
      EXPECT_EQ(written, size < 1 ? 0 : src.Cut(size - 1));
    }
    CurrentDialogEncoding = saved();
    if (HasFailure()) return;
  }
}

TEST_P(MultibyteProperties, CountsBoundariesAndSearchesFromThem) {
  const int enc = GetParam();
  TextGenerator gen(enc, 0x5EA2C4 + static_cast<uint32_t>(enc));
  for (int round = 0; round < 300; ++round) {
    Text s = gen.Make(16);
    SCOPED_TRACE(testing::Message()
                 << "round " << round << " s " << testing::PrintToString(s.bytes));
    EXPECT_EQ(MbCharCount(s.bytes.c_str(), enc), s.chars());

    const int length = static_cast<int>(s.bytes.size());
    for (int pos = 0; pos <= length + 1; ++pos) {
      if (enc >= 1 && enc <= 4) {
        EXPECT_EQ(MbIsTrailPosition(s.bytes.c_str(), pos, enc), pos < length && !s.IsBoundary(pos))
            << pos;
      }
      if (enc == kDialogUtf8) {
        EXPECT_EQ(Utf8BackToBoundary(s.bytes.c_str(), pos), pos >= length ? pos : s.Cut(pos))
            << pos;
      }
    }

    // MbFind of any run of bytes: the first boundary where it occurs.
    if (length == 0) continue;
    int from = gen.Below(length);
    std::string needle = s.bytes.substr(from, 1 + gen.Below(std::min(length - from, 4)));
    int expected = -1;
    for (int b : s.boundaries)
      if (b < length && s.bytes.compare(b, needle.size(), needle) == 0) {
        expected = b;
        break;
      }
    EXPECT_EQ(MbFind(s.bytes.c_str(), needle.c_str(), enc), expected)
        << testing::PrintToString(needle);
    if (HasFailure()) return;
  }
}

// Long texts where the cut and the search step back from where they land: every cut of
// MbCopyN and MbTruncate, and MbFind of needles taken from anywhere in the text, which the C
// library may find first inside a character.
TEST_P(MultibyteProperties, LongTextsCutAndSearchAtBoundaries) {
  const int enc = GetParam();
  std::vector<Style> styles = {Style::kMostlyAscii, Style::kAllWide};
  if (enc == kDialogUtf8) styles.push_back(Style::kBrokenUtf8);
  for (Style style : styles) {
    TextGenerator gen(enc, 0x10A6 + static_cast<uint32_t>(enc) * 7 + static_cast<uint32_t>(style),
                      style);
    for (int round = 0; round < 40; ++round) {
      Text s = gen.Make(300);
      const int length = static_cast<int>(s.bytes.size());
      SCOPED_TRACE(testing::Message() << "style " << static_cast<int>(style) << " round " << round
                                      << " s " << testing::PrintToString(s.bytes));
      if (style != Style::kBrokenUtf8) {
        for (int size = 0; size <= length + 2; ++size) {
          auto copy = Block("", size);
          int copied = MbCopyN(copy.get(), s.bytes.c_str(), size, enc);
          EXPECT_EQ(copied, size < 1 ? 0 : s.Cut(size - 1)) << size;
          if (size > 0) {
            EXPECT_EQ(std::string(copy.get()), s.bytes.substr(0, copied)) << size;
          }
          auto cut = Block(s.bytes, 0);
          MbTruncate(cut.get(), size, enc);
          EXPECT_EQ(static_cast<int>(std::strlen(cut.get())), size >= length ? length : s.Cut(size))
              << size;
        }
      }
      for (int k = 0; k < 20 && length > 0; ++k) {
        int from = gen.Below(length);
        std::string needle = s.bytes.substr(from, 1 + gen.Below(std::min(length - from, 6)));
        int expected = -1;
        for (int b : s.boundaries)
          if (b < length && s.bytes.compare(b, needle.size(), needle) == 0) {
            expected = b;
            break;
          }
        auto text = Block(s.bytes, 0);  // exactly the text's bytes, so a read past them is caught
        EXPECT_EQ(MbFind(text.get(), needle.c_str(), enc), expected)
            << testing::PrintToString(needle);
      }
      if (HasFailure()) return;
    }
  }
}

// Long runs of bytes that may both lead and trail, broken now and then by a byte just outside
// those ranges (or ASCII, or a byte that only leads or only trails): where a cut lands depends on
// the run back to the last breaking byte, which the operations pass over in blocks. Boundaries
// come from stepping forward from the start, one character at a time.
TEST(DoubleByteRuns, CutsMatchSteppingFromTheStart) {
  for (int enc = 1; enc <= 4; ++enc) {
    const LeadTrailTable* table = EncLeadTrailTable(enc);
    std::vector<char> pairs, breakers;
    for (int b = 1; b < 256; ++b) {
      bool pair = table->lead[b] && table->trail[b];
      if (pair) pairs.push_back(static_cast<char>(b));
      bool edge = b < 255 && (table->lead[b + 1] && table->trail[b + 1]);
      edge = edge || (table->lead[b - 1] && table->trail[b - 1]);
      if (!pair && (edge || table->lead[b] || table->trail[b] || b == 'a')) {
        breakers.push_back(static_cast<char>(b));
      }
    }
    std::mt19937 rng(0x12C0 + static_cast<uint32_t>(enc));
    auto below = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    for (int round = 0; round < 150; ++round) {
      std::string s(below(700), ' ');
      size_t gap = 1 + below(400);  // the mean distance between breaking bytes
      for (char& c : s)
        c = below(gap) == 0 ? breakers[below(breakers.size())] : pairs[below(pairs.size())];
      std::vector<bool> boundary(s.size() + 1, false);
      for (size_t i = 0; i < s.size();) {
        boundary[i] = true;
        bool two = i + 1 < s.size() && table->lead[static_cast<unsigned char>(s[i])] &&
                   table->trail[static_cast<unsigned char>(s[i + 1])];
        i += two ? 2 : 1;
      }
      boundary[s.size()] = true;
      std::unique_ptr<char[]> text(new char[s.size() + 1]);
      std::memcpy(text.get(), s.c_str(), s.size() + 1);
      for (int k = 0; k < 40 && !s.empty(); ++k) {
        int pos = static_cast<int>(below(s.size()));
        SCOPED_TRACE(testing::Message() << "enc " << enc << " round " << round << " pos " << pos);
        EXPECT_EQ(MbIsTrailPosition(text.get(), pos, enc), pos > 0 && !boundary[pos] ? 1 : 0);
        int cut = boundary[pos] ? pos : pos - 1;
        char copy[701];
        EXPECT_EQ(MbCopyN(copy, text.get(), pos + 1, enc), cut);
        EXPECT_EQ(std::string(copy), s.substr(0, static_cast<size_t>(cut)));
        if (HasFailure()) return;
      }
    }
  }
}

// The passes over runs of double-byte characters run the widest path that TANSEL_CPU_BASELINE
// allows and the processor offers: these cases run once on each (CTest names baseline.*, avx2.*).
TEST(DoubleByteRuns, TakeTheWidestPathAllowed) {
  const char* limit = std::getenv("TANSEL_CPU_BASELINE");
  const ByteCopyCode* chosen = ByteCopyChosenCode();
  if (limit == nullptr) {
    if (__builtin_cpu_supports("avx512bw") && Avx512ByteCopyCode() != nullptr) {
      EXPECT_EQ(chosen, Avx512ByteCopyCode());
    } else if (__builtin_cpu_supports("avx2") && Avx2ByteCopyCode() != nullptr) {
      EXPECT_EQ(chosen, Avx2ByteCopyCode());
    }
  } else if (std::strcmp(limit, "avx2") == 0) {
    EXPECT_NE(chosen, Avx512ByteCopyCode());
    if (__builtin_cpu_supports("avx2") && Avx2ByteCopyCode() != nullptr) {
      EXPECT_EQ(chosen, Avx2ByteCopyCode());
    }
  } else if (std::strcmp(limit, "1") == 0) {
    EXPECT_FALSE(ByteCopyUsesWidePath());
  }
}

// Copies to a destination below the text, of texts that end in a page an unreadable page follows
// (at every distance from its end) or that cross from one page into the next: runs of bytes that
// may both lead and trail from the first byte on, broken now and then (or never) by other bytes,
// so that where a cut lands depends on the run back to the last breaking byte or to the start. No
// block is read past the page end, every cut of MbCopyN and MbTruncate matches stepping from the
// start, and nothing past the size (or the cut) is written.
TEST(DoubleByteRuns, CopiesBelowTheTextAroundPageEnds) {
  GuardedPage page;
  ASSERT_NE(page.end, nullptr);
  PageBuffer pages;
  for (int enc = 1; enc <= 4; ++enc) {
    const LeadTrailTable* table = EncLeadTrailTable(enc);
    std::vector<char> pairs, breakers;
    for (int b = 1; b < 256; ++b) {
      if (table->lead[b] && table->trail[b])
        pairs.push_back(static_cast<char>(b));
      else
        breakers.push_back(static_cast<char>(b));
    }
    std::mt19937 rng(0x3B10 + static_cast<uint32_t>(enc));
    auto below = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    for (int round = 0; round < 240; ++round) {
      const size_t length = 1 + below(1600);
      const size_t every = below(4) == 0 ? 0 : 1 + below(300);  // 0: no breaking byte at all
      const size_t firstBreak = round % 3 == 0 ? 0 : 32;        // the text's head a whole run
      const size_t lastBreak = round % 5 == 1 ? 40 : length;    // or the head alone broken
      std::string s(length, ' ');
      for (size_t i = 0; i < length; ++i) {
        bool breaks = every != 0 && i >= firstBreak && i < lastBreak && below(every) == 0;
        s[i] = breaks ? breakers[below(breakers.size())] : pairs[below(pairs.size())];
      }
      std::vector<bool> boundary(length + 1, false);
      for (size_t i = 0; i < length;) {
        boundary[i] = true;
        bool two = i + 1 < length && table->lead[static_cast<unsigned char>(s[i])] &&
                   table->trail[static_cast<unsigned char>(s[i + 1])];
        i += two ? 2 : 1;
      }
      boundary[length] = true;
      // Even rounds: the text ends gap bytes before the unreadable page, pair bytes in the gap.
      // Odd rounds: cross bytes of it lie before a page end. The destination is below the text.
      char* src;
      char* dst;
      size_t place;
      if (round % 2 == 0) {
        place = below(70);
        src = page.end - place - 1 - length;
        for (size_t k = 0; k < place; ++k) page.end[-1 - static_cast<int>(k)] = pairs[0];
        dst = page.end - PageBuffer::kPage;
      } else {
        place = below(round % 4 == 1 ? std::min<size_t>(length + 1, 40) : length + 1);
        src = pages.At(2 * PageBuffer::kPage - place);
        dst = pages.At(0);
      }
      std::memcpy(src, s.c_str(), length + 1);
      std::vector<size_t> sizes = {length, length + 1, length + 2, length + 3 + below(300)};
      for (int k = 0; k < 20; ++k) sizes.push_back(1 + below(length + 1));
      for (size_t size : sizes) {
        SCOPED_TRACE(testing::Message() << "enc " << enc << " round " << round << " length "
                                        << length << " place " << place << " size " << size);
        std::memset(dst, '#', size + 8);
        const size_t room = size - 1;
        const size_t want = room >= length ? length : boundary[room] ? room : room - 1;
        EXPECT_EQ(MbCopyN(dst, src, static_cast<int>(size), enc), static_cast<int>(want));
        EXPECT_EQ(std::string(dst, want), s.substr(0, want));
        EXPECT_EQ(dst[want], 0);
        EXPECT_EQ(std::string(dst + size, 8), std::string(8, '#'));
        // The text itself cut at room, the bytes past its terminator left as they are.
        MbTruncate(src, static_cast<int>(room), enc);
        EXPECT_EQ(std::strlen(src), want);
        if (want < length) {
          EXPECT_EQ(std::string(src + want + 1, length - want), s.substr(want + 1) + '\0');
        }
        std::memcpy(src, s.c_str(), length + 1);
        if (HasFailure()) return;
      }
    }
  }
}

std::string EncodingName(const testing::TestParamInfo<int>& info) {
  static const char* const kNames[] = {"HostRoman", "ShiftJis", "Ksc5601",
                                       "Big5",      "Gb2312",   "Utf8"};
  return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(EveryDialogEncoding, MultibyteProperties, testing::Range(0, 6),
                         EncodingName);

TEST(Utf8Properties, CharacterEditsMatchAModel) {
  TextGenerator gen(kDialogUtf8, 0xED17);
  for (int round = 0; round < 300; ++round) {
    Text s = gen.Make(10);
    SCOPED_TRACE(testing::PrintToString(s.bytes));
    std::vector<std::string> chars;
    for (size_t i = 0; i + 1 < s.boundaries.size(); ++i)
      chars.push_back(s.bytes.substr(s.boundaries[i], s.boundaries[i + 1] - s.boundaries[i]));
    const int count = gen.Below(s.chars() + 3) - 1;

    // Utf8CopyChars: the first count characters.
    auto copy = Block("", static_cast<int>(s.bytes.size()) + 1);
    int copied = Utf8CopyChars(copy.get(), s.bytes.c_str(), count);
    int expectedCount = std::max(0, std::min(count, s.chars()));
    EXPECT_EQ(copied, expectedCount);
    std::string expected;
    for (int i = 0; i < expectedCount; ++i) expected += chars[i];
    EXPECT_EQ(std::string(copy.get()), expected);

    // Utf8Reverse: the first count characters in reverse order, each kept whole.
    auto reversed = Block(s.bytes, 0);
    Utf8Reverse(reversed.get(), count);
    expected.clear();
    int k = count <= 1 ? 0 : std::min(count, s.chars());
    for (int i = k - 1; i >= 0; --i) expected += chars[i];
    for (int i = k; i < s.chars(); ++i) expected += chars[i];
    EXPECT_EQ(std::string(reversed.get()), expected);

    // Utf8AppendLimited: characters, not bytes, bound it.
    auto limited = Block("", 4 * 16 + 1);
    int size = gen.Below(12);
    int total = Utf8AppendLimited(limited.get(), s.bytes.c_str(), size, count);
    int taken = std::max(0, std::min({count, size - 1, s.chars()}));
    EXPECT_EQ(total, taken);
    expected.clear();
    for (int i = 0; i < taken; ++i) expected += chars[i];
    EXPECT_EQ(std::string(limited.get()), expected);
    if (HasFailure()) return;
  }
}

}  // namespace
