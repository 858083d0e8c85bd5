// The six dialog encodings: their lead/trail tables, names, numbers and the current one.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "encoding/dialog_encoding.h"

namespace {

// Leaves HostRoman current whatever a test selected.
class DialogEncodingTest : public ::testing::Test {
 protected:
  void TearDown() override { CurrentDialogEncoding = kDialogHostRoman; }
};

typedef std::initializer_list<std::pair<int, int>> Ranges;

bool InRanges(int byte, Ranges ranges) {
  for (auto [first, last] : ranges)
    if (byte >= first && byte <= last) return true;
  return false;
}

}  // namespace

TEST_F(DialogEncodingTest, NamesAreNullUntilTheTablesAreFilled) {
  if (EncTablesReady()) GTEST_SKIP() << "an earlier test in this process filled the tables";
  EXPECT_EQ(EncDialogEncodingName(0), nullptr);
  EXPECT_EQ(EncSetDialogEncoding("nothing"), kDialogHostRoman);
  EXPECT_EQ(EncTablesReady(), 1);
  EXPECT_STREQ(EncDialogEncodingName(0), "HostRoman");
}

TEST_F(DialogEncodingTest, LeadTrailTables) {
  struct Row {
    int line;
    DialogEncoding index;
    const char* name;
    Ranges lead, trail;
  };
  const Row rows[] = {
      {__LINE__, 0, "HostRoman", {}, {}},
      {__LINE__,
       1,
       "JISX0208.ShiftJIS",
       {{0x81, 0x9F}, {0xE0, 0xFC}},
       {{0x40, 0x7E}, {0x80, 0xFC}}},
      {__LINE__, 2, "KSC5601-1992", {{0xA1, 0xFE}}, {{0xA1, 0xFE}}},
      {__LINE__, 3, "BIG5", {{0xA1, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
      {__LINE__, 4, "GB2312-80.EUC", {{0x81, 0xFE}}, {{0x40, 0xFE}}},
      {__LINE__, 5, "UTF-8", {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const LeadTrailTable* table = EncLeadTrailTable(row.index);
    ASSERT_NE(table, nullptr);
    EXPECT_STREQ(table->name, row.name);
    for (int b = 0; b < 256; ++b) {
      ASSERT_EQ(table->lead[b], InRanges(b, row.lead) ? 1 : 0) << "lead " << b;
      ASSERT_EQ(table->trail[b], InRanges(b, row.trail) ? 1 : 0) << "trail " << b;
    }
  }
  EXPECT_EQ(EncTablesReady(), 1);
  for (DialogEncoding bad : {-1, 6, INT32_MIN, INT32_MAX})
    EXPECT_EQ(EncLeadTrailTable(bad), nullptr);
}

TEST_F(DialogEncodingTest, SetDialogEncodingMatchesHostNamesCaseInsensitively) {
  struct Row {
    int line;
    const char* name;
    DialogEncoding expected;  // current afterwards, rows run in order
  };
  const Row rows[] = {
      {__LINE__, "big5", 3},
      {__LINE__, "Latin1", 3},  // no match: unchanged
      {__LINE__, nullptr, 3},
      {__LINE__, "", 3},
      {__LINE__, "UTF-8", 5},
      {__LINE__, "utf8", 5},  // exact spelling apart from case
      {__LINE__, "jisx0208.shiftjis", 1},
      {__LINE__, "KSC5601-1992", 2},
      {__LINE__, "Gb2312-80.euc", 4},
      {__LINE__, "HOSTROMAN", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(EncSetDialogEncoding(row.name), row.expected);
    EXPECT_EQ(CurrentDialogEncoding, row.expected);
  }
}

TEST_F(DialogEncodingTest, NamesOfIndexes) {
  EncSetDialogEncoding("HostRoman");  // fills the tables
  struct Row {
    int line;
    DialogEncoding index;
    const char* hostName;
    const char* converterName;
  };
  const Row rows[] = {
      {__LINE__, 0, "HostRoman", "host-roman-windows"},
      {__LINE__, 1, "JISX0208.ShiftJIS", "host-shift-jis"},
      {__LINE__, 2, "KSC5601-1992", "host-ksc-5601"},
      {__LINE__, 3, "BIG5", "host-big5"},
      {__LINE__, 4, "GB2312-80.EUC", "host-gb2312"},
      {__LINE__, 5, "UTF-8", "UTF-8"},
      {__LINE__, 6, nullptr, nullptr},
      {__LINE__, -1, nullptr, nullptr},
      {__LINE__, INT32_MAX, nullptr, nullptr},
      {__LINE__, INT32_MIN, nullptr, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_STREQ(EncDialogEncodingName(row.index), row.hostName);
    EXPECT_STREQ(EncConverterNameForDialog(row.index), row.converterName);
  }
}

TEST_F(DialogEncodingTest, IndexFromName) {
  struct Row {
    int line;
    const char* name;
    DialogEncoding expected;
  };
  const Row rows[] = {
      {__LINE__, "HostRoman", 0},     {__LINE__, "jisx0208.SHIFTJIS", 1},
      {__LINE__, "KSC5601-1992", 2},  {__LINE__, "big5", 3},
      {__LINE__, "GB2312-80.EUC", 4}, {__LINE__, "utf-8", 5},
      {__LINE__, "UTF-16", 0},        {__LINE__, "", 0},
      {__LINE__, nullptr, 0},         {__LINE__, "BIG5 ", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(EncDialogEncodingFromName(row.name), row.expected);
  }
  EncSetDialogEncoding("UTF-8");
  EXPECT_EQ(EncDialogEncodingFromName("Latin1"), 0);  // not the current one
}

TEST_F(DialogEncodingTest, IdsAndIndexesMapBothWays) {
  const std::pair<DialogEncoding, EncodingId> pairs[] = {{0, 0}, {1, 6},  {2, 12},
                                                         {3, 8}, {4, 10}, {5, 16}};
  for (DialogEncoding current : {kDialogHostRoman, kDialogBig5, kDialogUtf8}) {
    SCOPED_TRACE(current);
    CurrentDialogEncoding = current;
    for (auto [index, id] : pairs) {
      EXPECT_EQ(EncIdFromDialogEncoding(index), id);
      EXPECT_EQ(EncDialogEncodingFromId(id), index);
    }
    EncodingId otherId = current == kDialogUtf8 ? 16 : 0;
    DialogEncoding otherIndex = current == kDialogUtf8 ? 5 : 0;
    for (DialogEncoding index : {-1, 6, 18, INT32_MIN, INT32_MAX})
      EXPECT_EQ(EncIdFromDialogEncoding(index), otherId) << index;
    for (EncodingId id : {-1, 1, 2, 3, 4, 5, 7, 9, 11, 13, 17, 18, 19, INT32_MAX})
      EXPECT_EQ(EncDialogEncodingFromId(id), otherIndex) << id;
  }
}
