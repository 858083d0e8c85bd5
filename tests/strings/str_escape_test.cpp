// Byte strings: HostRoman special characters and backslash escapes, control mapping, and
// "%xHH" hexadecimal escapes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "strings/byte_string.h"
#include "strings/memory.h"
#include "tests/support/fault_injection.h"

namespace {

// Owns a string the library returned.
std::string Take(char* s) {
  EXPECT_NE(s, nullptr);
  std::string out = s != nullptr ? s : "";
  MemFree(s);
  return out;
}

TEST(StrUnescape, EveryEscape) {
  const struct {
    int line;
    const char* in;
    std::string out;
  } kRows[] = {
      {__LINE__, "a\\s\\t", "a\x20\x08"},
      {__LINE__, "\\r\\n\\h", "\x09\x09\x09"},
      {__LINE__, "\\p\\P", "\x0A\x0A"},
      {__LINE__, "\\-\\_\\#", "\x04\x05\x10"},
      {__LINE__, "\\ \\i\\N\\M\\+", "\x11\x12\x13\x14\x15"},
      {__LINE__, "\\\\", "\\"},
      {__LINE__, "\\q\\S\\x", "qSx"},  // any other byte stands for itself
      {__LINE__, "ab\\", "ab"},        // a trailing backslash ends the text
      {__LINE__, "a b", "a b"},
      {__LINE__, "", ""},
      {__LINE__, nullptr, ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Take(StrUnescape(row.in)), row.out);
  }
}

TEST(StrEscape, EverySpecialByte) {
  const struct {
    int line;
    std::string in;
    const char* out;
  } kRows[] = {
      {__LINE__, "a b", "a\\sb"},  // every plain space is escaped
      {__LINE__, "\x08\x09\x0A", "\\t\\r\\p"},
      {__LINE__, "\x04\x05\x10\x11", "\\-\\_\\#\\ "},
      {__LINE__, "\x12\x13\x14\x15", "\\i\\N\\M\\+"},
      {__LINE__, "\\", "\\\\"},
      {__LINE__, "\x01\x0B\x7F\xE9", "\x01\x0B\x7F\xE9"},  // not special: copied
      {__LINE__, "", ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Take(StrEscape(row.in.c_str())), row.out);
  }
  EXPECT_EQ(Take(StrEscape(nullptr)), "");
}

TEST(StrEscape, RoundTripsRandomText) {
  std::mt19937 rng(1024);
  const std::string kBytes = std::string("\x04\x05\x08\x09\x0A\x10\x11\x12\x13\x14\x15 \\") +
                             "aZ09-_#+sprtnhiNMP\x01\x0B\x7F\x80\xE9\xFF";
  std::uniform_int_distribution<size_t> pick(0, kBytes.size() - 1);
  for (int i = 0; i < 1000; ++i) {
    std::string s(std::uniform_int_distribution<int>(0, 300)(rng), ' ');
    for (char& c : s) c = kBytes[pick(rng)];
    SCOPED_TRACE(testing::Message() << "case " << i);
    std::string escaped = Take(StrEscape(s.c_str()));
    ASSERT_LE(escaped.size(), 1023u);
    if (escaped.size() < 1022) {
      EXPECT_EQ(Take(StrUnescape(escaped.c_str())), s);
    }
    // Escaped text carries no special byte of its own; a space appears only as the letter of
    // the non-breaking space's escape.
    for (char c : std::string("\x04\x05\x08\x09\x0A\x10\x11\x12\x13\x14\x15")) {
      EXPECT_EQ(escaped.find(c), std::string::npos);
    }
    for (size_t at = escaped.find(' '); at != std::string::npos; at = escaped.find(' ', at + 1)) {
      EXPECT_EQ(escaped[at - 1], '\\');
    }
  }
}

TEST(StrEscape, StopsAt1023BytesWithoutHalfAnEscape) {
  const struct {
    int line;
    std::string in;
    size_t outLength;
  } kRows[] = {
      {__LINE__, std::string(1023, 'a'), 1023},
      {__LINE__, std::string(2000, 'a'), 1023},
      {__LINE__, std::string(511, ' '), 1022},
      {__LINE__, std::string(512, ' '), 1022},  // the 512th escape would need bytes 1023-1024
      {__LINE__, std::string(1022, 'a') + " ", 1022},
      {__LINE__, std::string(1021, 'a') + " ", 1023},
      {__LINE__, std::string(1022, 'a') + "\\b", 1022},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    std::string escaped = Take(StrEscape(row.in.c_str()));
    EXPECT_EQ(escaped.size(), row.outLength);
    // What was written is a prefix of the full escape that decodes to a prefix of the input.
    std::string decoded = Take(StrUnescape(escaped.c_str()));
    EXPECT_EQ(row.in.compare(0, decoded.size(), decoded), 0);
  }
}

TEST(StrUnescape, StopsAt1023Bytes) {
  EXPECT_EQ(Take(StrUnescape(std::string(1023, 'a').c_str())).size(), 1023u);
  EXPECT_EQ(Take(StrUnescape(std::string(5000, 'a').c_str())).size(), 1023u);
  std::string decoded = Take(StrUnescape((std::string(1022, 'a') + "\\s\\s").c_str()));
  EXPECT_EQ(decoded, std::string(1022, 'a') + " ");
}

TEST(StrEscapes, FailQuietlyWhenMemoryIsShort) {
  ScopedAllocationFailure refuse(0);
  EXPECT_EQ(StrEscape("a b"), nullptr);
  EXPECT_EQ(StrUnescape("a\\sb"), nullptr);
}

TEST(ControlMapping, BothDirections) {
  std::string roman = "\x08\x09\x0A\x0B\x10\x11\x12\x13\x14\x15\x16x";
  StrRomanControlsToAscii(roman.data());
  EXPECT_EQ(roman, "\t\n\x0A\x0B     -\x16x");
  std::string ascii = "a\tb\nc\r\x0B";
  EXPECT_EQ(StrAsciiControlsToRoman(ascii.data()), 0);
  EXPECT_EQ(ascii,
            "a\x08"
            "b\x09"
            "c\r\x0B");
  StrRomanControlsToAscii(nullptr);
  EXPECT_EQ(StrAsciiControlsToRoman(nullptr), 0);
}

TEST(StrHexDigitValue, EveryByte) {
  for (int ch = -1; ch < 256; ++ch) {
    SCOPED_TRACE(ch);
    int expected = -1;
    if (ch >= '0' && ch <= '9') expected = ch - '0';
    if (ch >= 'A' && ch <= 'F') expected = ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') expected = ch - 'a' + 10;
    int value = 99;
    EXPECT_EQ(StrHexDigitValue(ch, &value), expected >= 0 ? 1 : 0);
    EXPECT_EQ(value, expected >= 0 ? expected : 0);
  }
  EXPECT_EQ(StrHexDigitValue('0' + 256, nullptr), 0);  // not a byte
  EXPECT_EQ(StrHexDigitValue('7', nullptr), 1);
}

TEST(StrDecodeHexEscapes, DecodesCompleteGroupsOnly) {
  const struct {
    int line;
    const char* in;
    const char* out;
  } kRows[] = {
      {__LINE__, "%x41%x4", "A%x4"},
      {__LINE__, "%X4g", "%X4g"},
      {__LINE__, "%x4", "%x4"},
      {__LINE__, "%x", "%x"},
      {__LINE__, "%", "%"},
      {__LINE__, "%%x41", "%A"},
      {__LINE__, "%y41", "%y41"},
      {__LINE__, "a%Xe9b%xFFc",
       "a\xE9"
       "b\xFF"
       "c"},
      {__LINE__, "%x4%x41", "%x4A"},
      {__LINE__, "%x%x41", "%xA"},
      {__LINE__, "", ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    std::string s = row.in;
    StrDecodeHexEscapes(s.data());
    EXPECT_STREQ(s.c_str(), row.out);
  }
  StrDecodeHexEscapes(nullptr);
}

}  // namespace
