// The global-memory stand-in: movable blocks with a lock count, refused when stale or locked.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win_memory.h"
#include "tests/support/fault_injection.h"

TEST(GlobalMemory, LockCountLivesInTheLowByteOfTheFlags) {
  HGLOBAL h = GlobalAlloc(GHND, 8);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
  void* p = GlobalLock(h);
  void* q = GlobalLock(h);
  EXPECT_EQ(p, q);
  EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);
  EXPECT_TRUE(GlobalUnlock(h));
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_FALSE(GlobalUnlock(h));  // unlocking an unlocked block changes nothing
  EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
  EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, LockedBlocksAreNeitherResizedNorFreed) {
  HGLOBAL h = GlobalAlloc(GHND, 4);
  ASSERT_NE(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalReAlloc(h, 64, GHND), nullptr);
  EXPECT_EQ(GlobalFree(h), h);
  EXPECT_EQ(GlobalSize(h), 4u);
  GlobalUnlock(h);
  EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, ReallocationZeroFillsTheGrowthAndKeepsTheContents) {
  HGLOBAL h = GlobalAlloc(GHND, 3);
  std::memcpy(GlobalLock(h), "abc", 3);
  GlobalUnlock(h);
  HGLOBAL moved = GlobalReAlloc(h, 4096, GHND);
  ASSERT_NE(moved, nullptr);
  auto* bytes = static_cast<unsigned char*>(GlobalLock(moved));
  EXPECT_EQ(std::memcmp(bytes, "abc", 3), 0);
  for (int i = 3; i < 4096; ++i) ASSERT_EQ(bytes[i], 0) << i;
  GlobalUnlock(moved);
  EXPECT_EQ(GlobalSize(moved), 4096u);
  EXPECT_EQ(GlobalFree(moved), nullptr);
}

TEST(GlobalMemory, StaleAndUnknownHandlesAreRefused) {
  HGLOBAL h = GlobalAlloc(GHND, 1);
  ASSERT_EQ(GlobalFree(h), nullptr);
  int local = 0;
  for (HGLOBAL bad : {h, static_cast<HGLOBAL>(&local), static_cast<HGLOBAL>(nullptr)}) {
    EXPECT_EQ(GlobalLock(bad), nullptr);
    EXPECT_EQ(GlobalFlags(bad), static_cast<UINT>(GMEM_INVALID_HANDLE));
    EXPECT_EQ(GlobalReAlloc(bad, 8, GHND), nullptr);
    EXPECT_EQ(GlobalFree(bad), bad);
  }
}

TEST(GlobalMemory, RefusedAllocationsThroughTheCallTable) {
  {
    ScopedAllocationFailure refuse(0);
    EXPECT_EQ(GlobalAlloc(GHND, 16), nullptr);
    EXPECT_EQ(CoTaskMemAlloc(16), nullptr);
    EXPECT_GE(refuse.refused(), 2);
  }
  HGLOBAL h = GlobalAlloc(GHND, 16);
  ASSERT_NE(h, nullptr);
  {
    ScopedAllocationFailure refuse(0);
    EXPECT_EQ(GlobalReAlloc(h, 1 << 20, GHND), nullptr);
  }
  EXPECT_EQ(GlobalSize(h), 16u);  // a refused resize leaves the block as it was
  EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(StructuredExceptions, CarryTheirCode) {
  EXPECT_EQ(RaisedCode([] { RaiseException(0xE0000001u, 0, 0, nullptr); }), 0xE0000001L);
  EXPECT_EQ(RaisedCode([] {}), -1);
}
