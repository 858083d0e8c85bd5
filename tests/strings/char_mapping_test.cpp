// HostRoman's one-byte mappings, every byte of every table checked against the host's lists: the
// control rules, the printable ASCII rule and the rows of 16 for the upper half.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "strings/char_mapping.h"
#include "strings/char_tables.h"

namespace {

using Table = std::array<int, 256>;
using Pairs = std::vector<std::pair<int, int>>;

struct MappingCase {
  int line;
  const char* name;
  unsigned char (*map)(unsigned char);  // the Char... function
  const unsigned char* table;           // the table of the same name
  Pairs controls;                       // bytes below 0x20 that map to something
  int del;                              // what 0x7F maps to
  Pairs asciiExceptions;                // printable ASCII that does not map to itself
  std::vector<const char*> rows;        // "80: C4 C5 ..." rows of the upper half
};

Table Expected(const MappingCase& c) {
  Table t{};
  for (auto [from, to] : c.controls) t[from] = to;
  for (int b = 0x20; b < 0x7F; ++b) t[b] = b;
  for (auto [from, to] : c.asciiExceptions) t[from] = to;
  t[0x7F] = c.del;
  for (const char* row : c.rows) {
    unsigned base = 0;
    int n = 0;
    std::sscanf(row, "%2x:%n", &base, &n);
    const char* p = row + n;
    for (int i = 0; i < 16; ++i) {
      unsigned value = 0;
      int used = 0;
      EXPECT_EQ(std::sscanf(p, " %2x%n", &value, &used), 1) << row;
      p += used;
      t[base + i] = static_cast<int>(value);
    }
  }
  return t;
}

const Pairs kToAsciiControls = {{0x06, 0x2D}, {0x15, 0x2D}, {0x08, 0x09}, {0x09, 0x0A},
                                {0x0A, 0x0A}, {0x0B, 0x0A}, {0x10, 0x20}, {0x11, 0x20},
                                {0x12, 0x20}, {0x13, 0x20}, {0x14, 0x20}};
const Pairs kFromForeignControls = {{0x09, 0x08}, {0x0A, 0x0A}, {0x0C, 0x0A}, {0x0D, 0x0A}};

const MappingCase kMappings[] = {
    {__LINE__,
     "RomanToAnsi",
     CharRomanToAnsi,
     RomanToAnsiTable,
     {{0x04, 0x2D},
      {0x05, 0x2D},
      {0x06, 0x2D},
      {0x15, 0x2D},
      {0x08, 0x09},
      {0x09, 0x0A},
      {0x0A, 0xB6},
      {0x0B, 0xA7},
      {0x10, 0x20},
      {0x11, 0x20},
      {0x12, 0x20},
      {0x13, 0x20},
      {0x14, 0x20},
      {0x1F, 0x09}},
     0xAD,
     {},
     {
         "80: C4 C5 C7 C9 D1 D6 DC E1 E0 E2 E4 E3 E5 E7 E9 E8",
         "90: EA EB ED EC EE EF F1 F3 F2 F4 F6 F5 FA F9 FB FC",
         "A0: 86 81 A2 A3 A7 95 B6 DF AE A9 99 B4 A8 A6 C6 D8",
         "B0: D7 B1 F0 8A A5 B5 B9 B2 B3 BC BD AA BA BE E6 F8",
         "C0: BF A1 AC D0 83 DD FD AB BB 85 FE C0 C3 D5 8C 9C",
         "D0: 96 97 93 94 91 92 F7 DE FF 9F 2F A4 8B 9B 8F 90",
         "E0: 87 B7 82 84 89 C2 CA C1 CB C8 CD CE CF CC D3 D4",
         "F0: 9A D2 DA DB D9 80 88 98 AF 8D 8E B0 B8 9D 9E FF",
     }},
    {__LINE__,
     "AnsiToRoman",
     CharAnsiToRoman,
     AnsiToRomanTable,
     kFromForeignControls,
     0x00,
     {{0x27, 0xD5}, {0x60, 0xD4}},
     {
         "80: F5 A1 E2 C4 E3 C9 A0 E0 F6 E4 B3 DC CE F9 FA DE",
         "90: DF D4 D5 D2 D3 A5 D0 D1 F7 AA F0 DD CF FD FE D9",
         "A0: 11 C1 A2 A3 DB B4 AD A4 AC A9 BB C7 C2 7F A8 F8",
         "B0: FB B1 B7 B8 AB B5 A6 E1 FC B6 BC C8 B9 BA BD C0",
         "C0: CB E7 E5 CC 80 81 AE 82 E9 83 E6 E8 ED EA EB EC",
         "D0: C3 84 F1 EE EF CD 85 B0 AF F4 F2 F3 86 C5 D7 A7",
         "E0: 88 87 89 8B 8A 8C BE 8D 8F 8E 90 91 93 92 94 95",
         "F0: B2 96 98 97 99 9B 9A D6 BF 9D 9C 9E 9F C6 CA D8",
     }},
    {__LINE__,
     "RomanToAscii",
     CharRomanToAscii,
     RomanToAsciiTable,
     kToAsciiControls,
     0x3F,
     {},
     {
         "80: 41 41 43 45 4E 4F 55 61 61 61 61 61 61 63 65 65",
         "90: 65 65 69 69 69 69 6E 6F 6F 6F 6F 6F 75 75 75 75",
         "A0: 3F 3F 3F 3F 3F 6F 3F 3F 3F 3F 3F 3F 3F 3F 3F 4F",
         "B0: 3F 3F 3F 3F 3F 3F 3F 3F 3F 3F 3F 3F 3F 3F 3F 6F",
         "C0: 3F 21 3F 3F 66 3F 3F 3F 3F 3F 3F 41 41 4F 3F 3F",
         "D0: 2D 2D 22 22 60 27 3F 3F 79 59 2F 3F 3C 3E 3F 3F",
         "E0: 3F 2E 2C 3F 3F 41 45 41 45 45 49 49 49 49 4F 4F",
         "F0: 3F 4F 55 55 55 31 5E 7E 3F 3F 3F 3F 3F 3F 3F 00",
     }},
    {__LINE__,
     "AsciiToRoman",
     CharAsciiToRoman,
     AsciiToRomanTable,
     kFromForeignControls,
     0x00,
     {},
     {}},
    {__LINE__,
     "RomanToLatin1",
     CharRomanToLatin1,
     RomanToLatin1Table,
     kToAsciiControls,
     0x00,
     {},
     {
         "80: C4 C5 C7 C9 D1 D6 DC E1 E0 E2 E4 E3 E5 E7 E9 E8",
         "90: EA EB ED EC EE EF F1 F3 F2 F4 F6 F5 FA F9 FB FC",
         "A0: 7C 00 A2 A3 A7 B7 B6 DF AE A9 3F B4 A8 00 C6 D8",
         "B0: 00 00 00 00 A5 00 00 00 00 00 00 AA BA 00 E6 F8",
         "C0: BF A1 AC 00 66 00 00 AB BB 2D 00 C0 C3 D5 3F 3F",
         "D0: 2D 2D 22 22 60 27 00 00 FF FF 2F A4 3C 3E 3F 3F",
         "E0: 3F B7 2C 2C 3F C2 CA C1 CB C8 CD CE CF CC D3 D4",
         "F0: 00 D2 DA DB D9 69 5E 7E AF AF B7 B0 B8 22 B8 00",
     }},
    {__LINE__,
     "Latin1ToRoman",
     CharLatin1ToRoman,
     Latin1ToRomanTable,
     kFromForeignControls,
     0x00,
     {},
     {
         "A0: 11 C1 A2 A3 DB B4 7C A4 AC A9 BB C7 C2 D0 A8 F8",
         "B0: FB C0 32 33 AB 75 A6 E1 FC 31 BC C8 C0 C0 C0 C0",
         "C0: CB E7 E5 CC 80 81 AE 82 E9 83 E6 E8 ED EA EB EC",
         "D0: 44 84 F1 EE EF CD 85 78 AF F4 F2 F3 86 59 50 A7",
         "E0: 88 87 89 8B 8A 8C BE 8D 8F 8E 90 91 93 92 94 95",
         "F0: 64 96 98 97 99 9B 9A 2F BF 9D 9C 9E 9F 79 70 D8",
     }},
};

TEST(CharMapping, EveryByteOfEveryTableFollowsTheHostsLists) {
  for (const MappingCase& c : kMappings) {
    SCOPED_TRACE(testing::Message() << "line " << c.line << ": " << c.name);
    Table expected = Expected(c);
    for (int b = 0; b < 256; ++b) {
      SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << b);
      EXPECT_EQ(c.table[b], expected[b]);
      EXPECT_EQ(c.map(static_cast<unsigned char>(b)), expected[b]);
    }
  }
}

TEST(CharMapping, IdentityAndLowHalfOfAscii) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    auto byte = static_cast<unsigned char>(b);
    EXPECT_EQ(IdentityTable[b], b);
    EXPECT_EQ(CharIdentity(byte), b);
    EXPECT_EQ(CharRomanToAsciiLow(byte), b <= 0x80 ? RomanToAsciiTable[b] : b);
  }
}

TEST(CharMapping, ControlsToRoman) {
  struct Row {
    int line, in, out;
  };
  const Row rows[] = {
      {__LINE__, 0x00, '?'},  {__LINE__, 0x01, '?'},  {__LINE__, 0x08, '?'},
      {__LINE__, 0x09, 0x08}, {__LINE__, 0x0A, 0x0A}, {__LINE__, 0x0B, '?'},
      {__LINE__, 0x0C, 0x0A}, {__LINE__, 0x0D, 0x0A}, {__LINE__, 0x1F, '?'},
      {__LINE__, 0x20, 0x20}, {__LINE__, 0x7F, 0x7F}, {__LINE__, 0xFF, 0xFF},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(CharControlsToRoman(static_cast<unsigned char>(r.in)), r.out);
  }
}

TEST(CharMapping, HexDigitTestLooksAtTheFirstByte) {
  struct Row {
    int line;
    const char* s;
    int expected;
  };
  const Row rows[] = {
      {__LINE__, "0", 0x20}, {__LINE__, "9x", 0x20}, {__LINE__, "F", 0x20},
      {__LINE__, "f", 0x20}, {__LINE__, "g", 0},     {__LINE__, "G0", 0},
      {__LINE__, "", 0},     {__LINE__, nullptr, 0}, {__LINE__, "\x80", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(CharIsHexDigit(r.s), r.expected);
  }
}

TEST(CharMapping, HostStructureControls) {
  EXPECT_EQ(CharRomanToAnsi(0x09), 0x0A);  // forced line break
  EXPECT_EQ(CharRomanToAnsi(0x0A), 0xB6);  // end of paragraph becomes the pilcrow
  EXPECT_EQ(CharRomanToAscii(0x0A), 0x0A);
}

}  // namespace
