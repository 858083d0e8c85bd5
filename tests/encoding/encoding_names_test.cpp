// Encoding numbers and names: the converter table, the host's names, the traditional names and the
// alias registry with its loose comparison.
#include <gtest/gtest.h>

#include "encoding/encoding_id.h"

TEST(EncodingNames, ConverterNameForEveryId) {
  const char* const expected[kEncodingIdCount] = {
      "host-roman-windows",
      "ISO-8859-1",
      "US-ASCII",
      "windows-1252",
      "macintosh",
      "JIS7",
      "host-shift-jis",
      "EUC-JP",
      "host-big5",
      "EUC-CN",
      "host-gb2312",
      "HZ",
      "host-ksc-5601",
      nullptr,
      nullptr,
      nullptr,
      "UTF-8",
      "UTF-16",
      nullptr,
  };
  for (EncodingId id = 0; id < kEncodingIdCount; ++id)
    EXPECT_STREQ(EncConverterNameForId(id), expected[id]) << id;
  for (EncodingId id : {-1, 19, 100, INT32_MIN, INT32_MAX})
    EXPECT_EQ(EncConverterNameForId(id), nullptr) << id;
}

TEST(EncodingNames, HostNamesAndConverterNamesMatchExactly) {
  struct Row {
    int line;
    const char* hostName;
    const char* converterName;
  };
  const Row pairs[] = {
      {__LINE__, "HostRoman", "host-roman-windows"},
      {__LINE__, "JISX0208.ShiftJIS", "host-shift-jis"},
      {__LINE__, "KSC5601-1992", "host-ksc-5601"},
      {__LINE__, "BIG5", "host-big5"},
      {__LINE__, "GB2312-80.EUC", "host-gb2312"},
      {__LINE__, "UTF-8", "UTF-8"},
      {__LINE__, "UTF-16", "UTF-16"},
  };
  for (const Row& row : pairs) {
    SCOPED_TRACE(row.line);
    EXPECT_STREQ(EncConverterNameForHostName(row.hostName), row.converterName);
    EXPECT_STREQ(EncHostNameForConverterName(row.converterName), row.hostName);
  }
  for (const char* other : {"hostroman", "Big5", "utf-8", "EUC-JP", "", "HostRoman "}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(EncConverterNameForHostName(other), nullptr);
    EXPECT_EQ(EncHostNameForConverterName(other), nullptr);
  }
  EXPECT_EQ(EncConverterNameForHostName(nullptr), nullptr);
  EXPECT_EQ(EncHostNameForConverterName(nullptr), nullptr);
  EXPECT_EQ(EncHostNameForConverterName("host-big5"), EncHostNameForConverterName("host-big5"));
}

TEST(EncodingNames, IdFromTraditionalName) {
  struct Row {
    int line;
    const char* name;
    EncodingId expected;
  };
  const Row rows[] = {
      {__LINE__, "ISO-8859-1", 1},
      {__LINE__, "iso-8859-1", 1},
      {__LINE__, "ASCII", 2},
      {__LINE__, "ascii", 2},
      {__LINE__, "ANSI", 3},
      {__LINE__, "ansi", 3},
      {__LINE__, "windows-1252", 3},
      {__LINE__, "MacASCII", 4},
      {__LINE__, "Macintosh", 4},
      {__LINE__, "ShiftJIS", 6},
      {__LINE__, "shift_jis", 6},
      {__LINE__, "Big5", 8},
      {__LINE__, "GB", 10},
      {__LINE__, "euc-cn", 10},
      {__LINE__, "KSC8", 12},
      {__LINE__, "EUC-KR", 12},
      {__LINE__, "UTF-8", 16},
      {__LINE__, "utf-16", 17},
      // Anything else that names something falls back to UTF-8.
      {__LINE__, "cp1252", 16},
      {__LINE__, "US-ASCII", 16},
      {__LINE__, "Shift-JIS", 16},
      {__LINE__, "EUC-JP", 16},
      {__LINE__, "HZ", 16},
      {__LINE__, " ", 16},
      {__LINE__, "", -1},
      {__LINE__, nullptr, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(EncIdFromName(row.name), row.expected);
  }
}

TEST(EncodingNames, RegistryNamesForEveryId) {
  struct Row {
    int line;
    EncodingId id;
    const char* first;
    const char* preferred;
  };
  const Row rows[] = {
      {__LINE__, 0, "", ""},
      {__LINE__, 1, "ISO-8859-1", "ISO-8859-1"},
      {__LINE__, 2, "US-ASCII", "US-ASCII"},
      {__LINE__, 3, "windows-1252", "windows-1252"},
      {__LINE__, 4, "macintosh", "macintosh"},
      {__LINE__, 5, "JIS7", "JIS7"},
      {__LINE__, 6, "Shift_JIS", "Shift_JIS"},
      {__LINE__, 7, "JIS8_EUC", "EUC-JP"},
      {__LINE__, 8, "Big5", "Big5"},
      {__LINE__, 9, "CNS_EUC", "EUC-TW"},
      {__LINE__, 10, "GB8_EUC", "EUC-CN"},
      {__LINE__, 11, "HZ", "HZ"},
      {__LINE__, 12, "KSC8_EUC", "EUC-KR"},
      {__LINE__, 13, "", ""},
      {__LINE__, 14, "", ""},
      {__LINE__, 15, "", ""},
      {__LINE__, 16, "UTF-8", "UTF-8"},
      {__LINE__, 17, "UTF-16", "UTF-16"},
      {__LINE__, 18, "", ""},
      {__LINE__, -1, "", ""},
      {__LINE__, 19, "", ""},
      {__LINE__, INT32_MIN, "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    ASSERT_NE(EncNameForId(row.id), nullptr);
    EXPECT_STREQ(EncNameForId(row.id), row.first);
    EXPECT_STREQ(EncPreferredNameForId(row.id), row.preferred);
    EXPECT_STREQ(EncNameForIdWithFlags(row.id, 0), row.first);
    EXPECT_STREQ(EncNameForIdWithFlags(row.id, kEncNamePreferred), row.preferred);
    EXPECT_STREQ(EncNameForIdWithFlags(row.id, 0x2), row.first);  // no row has bit 1
    EXPECT_STREQ(EncNameForIdWithFlags(row.id, 0xFFFFFFFF), row.preferred);
  }
  EXPECT_EQ(EncNameForId(0), EncNameForId(13));  // the shared empty string
}

TEST(EncodingNames, LooseLookupOfEveryRegistryName) {
  struct Row {
    int line;
    const char* name;
    EncodingId expected;
  };
  const Row rows[] = {
      {__LINE__, "ISO-8859-1", 1},
      {__LINE__, "US-ASCII", 2},
      {__LINE__, "windows-1252", 3},
      {__LINE__, "ANSI", 3},
      {__LINE__, "macintosh", 4},
      {__LINE__, "MacASCII", 4},
      {__LINE__, "JIS7", 5},
      {__LINE__, "Shift_JIS", 6},
      {__LINE__, "JIS8_EUC", 7},
      {__LINE__, "EUC-JP", 7},
      {__LINE__, "Big5", 8},
      {__LINE__, "CNS_EUC", 9},
      {__LINE__, "EUC-TW", 9},
      {__LINE__, "EUC-CNS", 9},
      {__LINE__, "GB8_EUC", 10},
      {__LINE__, "EUC-CN", 10},
      {__LINE__, "GB", 10},
      {__LINE__, "HZ", 11},
      {__LINE__, "KSC8_EUC", 12},
      {__LINE__, "EUC-KR", 12},
      {__LINE__, "UTF-8", 16},
      {__LINE__, "UTF-16", 17},
      // Only letters and digits count, through the HostRoman upper case.
      {__LINE__, "utf8", 16},
      {__LINE__, "UTF 8", 16},
      {__LINE__, "--u.t.f--8--", 16},
      {__LINE__, "shiftjis", 6},
      {__LINE__, "iso8859_1", 1},
      {__LINE__, "eucjp", 7},
      {__LINE__, "utf16", 17},
      {__LINE__, "big 5", 8},
      // No match.
      {__LINE__, "utf", 0},
      {__LINE__, "utf81", 0},
      {__LINE__, "latin1", 0},
      {__LINE__, "", 0},
      {__LINE__, nullptr, 0},
      {__LINE__, "---", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(EncIdFromNameLoose(row.name), row.expected);
  }
}

TEST(EncodingNames, LooseComparison) {
  struct Row {
    int line;
    const char* a;
    const char* b;
    int expected;
  };
  const Row rows[] = {
      {__LINE__, "utf8", "UTF-8", 0},
      {__LINE__, "UTF-8", "utf 8", 0},
      {__LINE__, "a", "b", 'A' - 'B'},
      {__LINE__, "b", "A", 'B' - 'A'},
      {__LINE__, "abc", "ab", 'C'},
      {__LINE__, "ab", "a-b-c", -'C'},
      {__LINE__, "x1", "x2", '1' - '2'},
      {__LINE__, "", "", 0},
      {__LINE__, nullptr, "", 0},
      {__LINE__, nullptr, nullptr, 0},
      {__LINE__, "- _.", "", 0},
      {__LINE__, nullptr, "a", -'A'},
      {__LINE__,
       "\x8A"
       "b",
       "\x80"
       "B",
       0},  // HostRoman a-umlaut and A-umlaut
      {__LINE__, "\x8A", "A", 0x80 - 'A'},
      {__LINE__, "[a]", "{A}", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(EncCompareNamesLoose(row.a, row.b), row.expected);
  }
}
