// Plain blocks, memory handles and the fatal path.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win_memory.h"
#include "strings/memory.h"
#include "tests/support/fault_injection.h"

namespace {

int g_hookCalls = 0;
void CountingHook() {
  ++g_hookCalls;
}

// Restores the process-wide hooks whatever a test installed.
class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override { g_hookCalls = 0; }
  void TearDown() override {
    MemSetOutOfMemoryHook(nullptr);
    MemSetBailOutHook(nullptr);
    MemSetAssertionsEnabled(1);
  }
};

}  // namespace

TEST_F(MemoryTest, ZeroSizedRequestsGiveUsableBlocks) {
  void* a = MemAlloc(0, 0);
  ASSERT_NE(a, nullptr);
  void* b = MemRealloc(a, 0, 0);  // must not free a and report failure
  ASSERT_NE(b, nullptr);
  void* c = MemCalloc(0, 8, 0);
  ASSERT_NE(c, nullptr);
  MemFree(b);
  MemFree(c);
}

TEST_F(MemoryTest, CallocRefusesProductsThatDoNotFit) {
  EXPECT_EQ(MemCalloc(SIZE_MAX / 2, 3, 0), nullptr);
  EXPECT_EQ(RaisedCode([] { MemCalloc(SIZE_MAX, SIZE_MAX, kMemFatal); }), 1);
}

TEST_F(MemoryTest, FailedReallocKeepsTheOldBlock) {
  auto* p = static_cast<char*>(MemAlloc(4, 0));
  std::memcpy(p, "xyz", 4);
  {
    ScopedAllocationFailure refuse(0);
    EXPECT_EQ(MemRealloc(p, 1024, 0), nullptr);
  }
  EXPECT_STREQ(p, "xyz");
  MemFree(p);
}

TEST_F(MemoryTest, RefusedAllocationIsNullOrFatalByFlag) {
  ScopedAllocationFailure refuse(0);
  MemSetOutOfMemoryHook(CountingHook);
  EXPECT_EQ(MemAlloc(10, 0), nullptr);
  EXPECT_EQ(MemDup("abc", 4, 0), nullptr);
  EXPECT_EQ(g_hookCalls, 0);
  EXPECT_EQ(RaisedCode([] { MemAlloc(10, kMemFatal); }), 1);
  EXPECT_EQ(RaisedCode([] { MemCalloc(2, 10, kMemFatal | 0x100); }), 1);
  EXPECT_EQ(RaisedCode([] { MemHandleAlloc(10, kMemFatal); }), 1);
  EXPECT_EQ(g_hookCalls, 3);
  MemSetOutOfMemoryHook(nullptr);
  EXPECT_EQ(RaisedCode([] { MemAlloc(10, kMemFatal); }), 1);  // no hook: still fatal
  EXPECT_EQ(g_hookCalls, 3);
}

TEST_F(MemoryTest, HookSettersReturnThePreviousHook) {
  EXPECT_EQ(MemSetOutOfMemoryHook(CountingHook), nullptr);
  EXPECT_EQ(MemSetOutOfMemoryHook(nullptr), CountingHook);
  EXPECT_EQ(MemSetBailOutHook(CountingHook), MemDefaultBailOut);
  EXPECT_EQ(MemSetBailOutHook(nullptr), CountingHook);
  EXPECT_EQ(MemSetBailOutHook(nullptr), MemDefaultBailOut);  // null restores the default
  EXPECT_EQ(MemSetAssertionsEnabled(0), 1);
  EXPECT_EQ(MemAssertionsEnabled(), 0);
}

TEST_F(MemoryTest, BailOutRunsTheClientHookThenRaises) {
  EXPECT_EQ(RaisedCode([] { MemBailOut(); }), 1);
  EXPECT_EQ(g_hookCalls, 0);
  MemSetBailOutHook(CountingHook);
  EXPECT_EQ(RaisedCode([] { MemBailOut(); }), 1);
  EXPECT_EQ(g_hookCalls, 1);
  EXPECT_EQ(RaisedCode([] { MemRaise(7); }), 7);
  EXPECT_EQ(RaisedCode([] { MemRaiseFatal(); }), 1);
}

TEST_F(MemoryTest, ByteOperationsOnNullPointers) {
  char buf[4] = "abc";
  EXPECT_EQ(MemCopy(buf, nullptr, 3), 1);
  EXPECT_EQ(MemCopy(nullptr, buf, 3), 1);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(MemZero(nullptr, 3), 1);
  MemFill(nullptr, 'x', 3);
  EXPECT_EQ(MemEqual(nullptr, nullptr, 0), 0);
  EXPECT_EQ(MemEqual(buf, buf, 0), 1);
  EXPECT_EQ(MemDup(nullptr, 3, kMemFatal), nullptr);
  EXPECT_EQ(MemFree(nullptr), 0);
  EXPECT_EQ(MemFreeRef(nullptr), nullptr);
  void* held = MemAlloc(3, 0);
  EXPECT_EQ(MemFreeRef(&held), nullptr);
  EXPECT_NE(held, nullptr);  // the reference is the caller's to clear
}

TEST_F(MemoryTest, CopyTakesTheSourceFirstAndAllowsOverlap) {
  char buf[8] = "abcdef";
  EXPECT_EQ(MemCopy(buf, buf + 1, 5), 0);
  EXPECT_STREQ(buf, "aabcde");
  EXPECT_EQ(MemZero(buf, 2), 0);
  EXPECT_EQ(buf[1], 0);
  MemFill(buf, 'z', 3);
  EXPECT_EQ(MemEqual(buf, "zzzcde", 6), 1);
  EXPECT_EQ(MemEqual(buf, "zzzcdf", 6), 0);
}

TEST_F(MemoryTest, HandleOfZeroBytesLocksToAValidPointer) {
  MemHandle h = MemHandleAlloc(0, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(MemHandleSize(h), 0u);
  EXPECT_NE(MemHandleLock(h), nullptr);
  EXPECT_EQ(MemHandleUnlock(h), 0);
  EXPECT_EQ(MemHandleFree(h), 0);
}

TEST_F(MemoryTest, HandleSizeLimit) {
  EXPECT_EQ(MemHandleAlloc(kMemHandleLimit, 0), nullptr);
  EXPECT_EQ(RaisedCode([] { MemHandleAlloc(kMemHandleLimit, kMemFatal); }), 1);
  MemHandle h = MemHandleAlloc(1, 0);
  EXPECT_EQ(MemHandleRealloc(h, kMemHandleLimit, 0), nullptr);
  EXPECT_EQ(MemHandleSize(h), 1u);
  MemHandleFree(h);
}

TEST_F(MemoryTest, LockedHandleIsNeitherResizedNorFreed) {
  MemHandle h = MemHandleAlloc(4, 0);
  auto* data = static_cast<char*>(MemHandleLock(h));
  std::memcpy(data, "abcd", 4);
  EXPECT_EQ(MemHandleRealloc(h, 100, 0), nullptr);
  EXPECT_EQ(RaisedCode([&] { MemHandleRealloc(h, 100, kMemFatal); }), 1);
  EXPECT_EQ(MemHandleFree(h), 1);
  EXPECT_EQ(MemHandleSize(h), 4u);  // still usable and still locked once
  EXPECT_EQ(std::memcmp(data, "abcd", 4), 0);
  EXPECT_EQ(MemHandleUnlock(h), 0);
  EXPECT_EQ(MemHandleFree(h), 0);
}

TEST_F(MemoryTest, HandleGrowthIsZeroFilled) {
  MemHandle h = MemHandleAlloc(3, 0);
  std::memcpy(MemHandleLock(h), "xyz", 3);
  MemHandleUnlock(h);
  h = MemHandleRealloc(h, 1000, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(MemHandleSize(h), 1000u);
  auto* data = static_cast<unsigned char*>(MemHandleLock(h));
  EXPECT_EQ(std::memcmp(data, "xyz", 3), 0);
  for (int i = 3; i < 1000; ++i) ASSERT_EQ(data[i], 0) << i;
  MemHandleUnlock(h);
  MemHandleFree(h);
}

TEST_F(MemoryTest, HandleUnlockCountsDown) {
  EXPECT_EQ(MemHandleUnlock(nullptr), 1);
  MemHandle h = MemHandleAlloc(1, 0);
  MemHandleLock(h);
  MemHandleLock(h);
  EXPECT_EQ(MemHandleUnlock(h), 1);
  EXPECT_EQ(MemHandleUnlock(h), 0);
  MemHandleFree(h);
}

TEST_F(MemoryTest, CopyBetweenHandlesOfUnequalSize) {
  MemHandle big = MemHandleAlloc(10, 0);
  MemHandle small = MemHandleAlloc(4, 0);
  std::memcpy(MemHandleLock(big), "0123456789", 10);
  MemHandleUnlock(big);
  MemHandleLock(small);  // a held lock is left as it was
  EXPECT_EQ(MemHandleCopy(big, small), 0);
  EXPECT_EQ(MemHandleUnlock(small), 0);
  EXPECT_EQ(std::memcmp(MemHandleLock(small), "0123", 4), 0);
  MemHandleUnlock(small);
  EXPECT_EQ(MemHandleEqual(big, small), 0);  // sizes differ

  MemHandle other = MemHandleAlloc(10, 0);
  EXPECT_EQ(MemHandleCopy(small, other), 0);  // copies only 4 bytes into the larger one
  auto* o = static_cast<unsigned char*>(MemHandleLock(other));
  EXPECT_EQ(std::memcmp(o, "0123\0\0\0\0\0\0", 10), 0);
  MemHandleUnlock(other);
  EXPECT_EQ(MemHandleCopy(big, other), 0);
  EXPECT_EQ(MemHandleEqual(big, other), 1);
  EXPECT_EQ(MemHandleEqual(big, big), 1);
  EXPECT_EQ(MemHandleZero(other), 0);
  EXPECT_EQ(MemHandleEqual(big, other), 0);
  EXPECT_EQ(MemHandleCopy(nullptr, other), 1);
  EXPECT_EQ(MemHandleCopy(big, nullptr), 1);
  EXPECT_EQ(MemHandleZero(nullptr), 1);
  EXPECT_EQ(MemHandleEqual(nullptr, nullptr), 0);
  for (MemHandle h : {big, small, other}) {
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    EXPECT_EQ(MemHandleFree(h), 0);
  }
  EXPECT_EQ(MemHandleFree(nullptr), 0);  // as the platform's GlobalFree of null
}

TEST_F(MemoryTest, HandleThatCannotBeLockedAfterAllocationIsFreed) {
  // Two allocations succeed for the handle itself (record and block); nothing else is needed, so
  // this checks that MemHandleAlloc does not leak when the platform refuses mid-way.
  for (long allowed = 0; allowed < 2; ++allowed) {
    ScopedAllocationFailure refuse(allowed);
    EXPECT_EQ(MemHandleAlloc(16, 0), nullptr) << allowed;
  }
}
