// A plug-in author includes one header and reaches the whole library through it.
#include "tansel.h"

#include <gtest/gtest.h>

TEST(Umbrella, OneIncludeReachesEverySubsystem) {
  char* copy = StrCopyNew("Tansel");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(StrEqual(copy, "Tansel"), 1);
  MemFree(copy);

  PropertyValueList list = {0, nullptr};
  PropListSetString(&list, 2, "name");
  EXPECT_EQ(PropListFind(&list, 2), 0);
  PropListFree(&list);

  EXPECT_EQ(FixedMul(0x18000, 0x20000), 0x30000);
  HostErrno = 0;  // no host is connected here: host calls fail softly
  EXPECT_EQ(HostGetInt(1, 1, 110), 0);
  EXPECT_EQ(HostErrno, ErrHostCall);
  EXPECT_EQ(sizeof(PropertyIdent), 16u);
}

// What the README's pattern uses beyond that: bounded formatting, a channel on a path, and giving a
// host block back (CoTaskMemFree, or the library's HostTaskFree).
TEST(Umbrella, ReachesWhatAPlugInPatternUses) {
  char text[8];
  EXPECT_EQ(FmtStringN(text, sizeof text, "%d markers", 12), 7);
  EXPECT_STREQ(text, "12 mark");

  FilePath* path = PathNewFromText("a\\b.csv");
  ASSERT_NE(path, nullptr);
  char* leaf = PathLeafName(path);
  EXPECT_STREQ(leaf, "b.csv");
  MemFree(leaf);
  PathFree(path);

  void* block = CoTaskMemAlloc(16);
  ASSERT_NE(block, nullptr);
  HostTaskFree(block);
  CoTaskMemFree(CoTaskMemAlloc(8));
  EXPECT_EQ(ChanPrintf(nullptr, "%s", ""), 0);  // the console, here without a host
}
