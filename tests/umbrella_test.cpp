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
