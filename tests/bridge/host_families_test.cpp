// Every wrapper of the slot table against the simulated host, in process: each shape's result,
// HostErrno and the host memory given back, for every way a call can go; with the host's memory
// shared and not; and with no host at all.
#include "tests/bridge/bridge_fixture.h"
#include "tests/bridge/slot_walk.h"

namespace {

using slot_walk::Fault;

const std::vector<Fault> kEveryFault = {slot_walk::kOk,     slot_walk::kBusy,
                                        slot_walk::kFail,   slot_walk::kCode,
                                        slot_walk::kNoCode, slot_walk::kFailAfterZero};

class HostFamiliesTest : public BridgeTest {};

TEST_F(HostFamiliesTest, EveryWrapperWithTheHostsMemoryItsOwn) {
  slot_walk::PrepareHost(host);
  ASSERT_EQ(Connect(), 0);
  ASSERT_EQ(SharedHostMemory, 0);
  slot_walk::WalkEverySlot(host, kEveryFault, false);
  EXPECT_GT(host.BlocksHandedOut(), 500u);  // the walk handed out host memory
}

TEST_F(HostFamiliesTest, EveryWrapperWithTheHostsMemoryShared) {
  host.SetSharedMemory(true);
  slot_walk::PrepareHost(host);
  ASSERT_EQ(Connect(), 0);
  ASSERT_EQ(SharedHostMemory, 1);
  slot_walk::WalkEverySlot(host, kEveryFault, true);
}

TEST_F(HostFamiliesTest, EveryWrapperWithoutAHost) {
  for (const slot_walk::SlotProbe& probe : slot_walk::kProbes) {
    SCOPED_TRACE(probe.wrapper);
    HostErrno = slot_walk::kEarlier;
    const slot_walk::Expected expected = slot_walk::Promise(probe, slot_walk::kFail);
    EXPECT_EQ(probe.run(), expected.text);
    EXPECT_EQ(HostErrno, ErrHostCall);
  }
}

}  // namespace
