// Start-up against the simulated host: interface acquisition, registration, and the host's end.
#include <cstring>
#include <string>
#include <vector>

#include "bridge/client_entry.h"
#include "bridge/host_calls.h"
#include "bridge/notification_sink.h"
#include "tests/bridge/bridge_fixture.h"
#include "tests/support/fault_injection.h"

namespace {

// A companion object that only counts.
struct CountingUnknown : IUnknown {
  int32_t refs = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
};

using ClientEntryTest = BridgeTest;

TEST_F(ClientEntryTest, OnlyHostApiOffered) {
  host.OfferOnly({kHostApiIndex});
  ASSERT_EQ(Connect(), 0);
  for (int i = 0; i < kHostInterfaceCount; ++i) {
    SCOPED_TRACE(HostInterfaceName(i));
    EXPECT_EQ(HostInterfaceTable[i] != nullptr, i == kHostApiIndex);
  }
  EXPECT_EQ(SharedHostMemory, 0);
  EXPECT_EQ(host.SharedMemoryQueries(), 0);
  EXPECT_FALSE(host.ClientModuleSet());
  EXPECT_EQ(host.Registrations(), 1);
  EXPECT_EQ(host.RegisteredVersion(), 0x17000000);
  EXPECT_TRUE(host.HasSink());
  EXPECT_NE(ClientSink, nullptr);
  EXPECT_EQ(host.SinkRefCount(), 1);  // the creator's reference is gone, the host's remains
  EXPECT_EQ(ClientStopped, 0);
  EXPECT_EQ(ClientInitialised, 1);
  EXPECT_EQ(ConsoleHook, &HostConsoleWrite);
  EXPECT_EQ(host.Outstanding(kHostApiIndex), 1);
}

TEST_F(ClientEntryTest, EveryInterfaceTakenOnce) {
  ASSERT_EQ(Connect(), 0);
  for (int i = 0; i < kHostInterfaceCount; ++i) {
    SCOPED_TRACE(HostInterfaceName(i));
    EXPECT_NE(HostInterfaceTable[i], nullptr);
    EXPECT_EQ(host.Outstanding(i), 1);
  }
  EXPECT_TRUE(host.ClientModuleSet());
  EXPECT_EQ(host.Outstanding(kHostInterfaceCount), 0);  // the object's own IUnknown: never kept
}

TEST_F(ClientEntryTest, SharedMemoryOnlyWhenTheHostSaysSOk) {
  const struct {
    int line;
    bool shared;       // the host answers S_OK
    bool policy;       // HostMemoryPolicy is offered
    int32_t expected;  // SharedHostMemory afterwards
  } rows[] = {
      {__LINE__, false, true, 0},  // S_FALSE
      {__LINE__, true, true, 1},
      {__LINE__, true, false, 0},  // nobody to ask
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    SimHost local;
    local.SetSharedMemory(row.shared);
    local.Offer(kHostMemoryPolicyIndex, row.policy);
    SharedHostMemory = 0;
    ASSERT_EQ(F_ApiClientInit(nullptr, local.Object(), nullptr, nullptr), 0);
    EXPECT_EQ(SharedHostMemory, row.expected);
    EXPECT_EQ(local.SharedMemoryQueries(), row.policy ? 1 : 0);
    local.ReleaseSink();
    EXPECT_EQ(local.OutstandingTotal(), 0);
  }
}

TEST_F(ClientEntryTest, CallersDescriptionPassedUnchanged) {
  // The list record {count, items}: the library must neither read into it nor free it.
  alignas(8) unsigned char record[16] = {};
  record[0] = 2;
  unsigned char before[16];
  std::memcpy(before, record, sizeof record);
  auto* description = reinterpret_cast<const ClientDescription*>(record);
  ASSERT_EQ(Connect(reinterpret_cast<HMODULE>(0x1234), description), 0);
  EXPECT_EQ(host.RegisteredDescription(), description);
  EXPECT_EQ(std::memcmp(before, record, sizeof record), 0);
}

TEST_F(ClientEntryTest, DescriptionByModule) {
  ASSERT_EQ(Connect(nullptr), 0);
  EXPECT_EQ(host.RegisteredDescription(), nullptr);
  host.ReleaseSink();

  // A module whose resource cannot be read still gets a description: an empty one.
  HMODULE unknown = reinterpret_cast<HMODULE>(0x1234);
  ASSERT_EQ(Connect(unknown), 0);
  EXPECT_NE(host.RegisteredDescription(), nullptr);
  EXPECT_EQ(host.ClientModule(), unknown);
  EXPECT_EQ(ClientModule, unknown);
}

TEST_F(ClientEntryTest, NoHostApi) {
  host.Offer(kHostApiIndex, false);
  EXPECT_EQ(Connect(), -1);
  EXPECT_EQ(host.Registrations(), 0);
  EXPECT_FALSE(host.HasSink());
  EXPECT_EQ(ClientSink, nullptr);
  // The other base interfaces stay taken, the optional ones were not asked for.
  EXPECT_EQ(host.Outstanding(kHostApiExt1Index), 1);
  EXPECT_EQ(host.Outstanding(kHostMemoryPolicyIndex), 0);
  EXPECT_EQ(host.SharedMemoryQueries(), 0);
}

TEST_F(ClientEntryTest, NoHostObject) {
  EXPECT_EQ(F_ApiClientInit(nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(ClientSink, nullptr);
}

TEST_F(ClientEntryTest, SinkRefusedRegistersNothing) {
  int32_t result;
  {
    ScopedAllocationFailure refuse(0);
    result = Connect();
  }
  EXPECT_EQ(result, -1);
  EXPECT_EQ(host.Registrations(), 0);
  EXPECT_EQ(ClientSink, nullptr);
  EXPECT_EQ(host.OutstandingTotal(), 0);  // the interfaces went back at once
  for (IUnknown* entry : HostInterfaceTable) EXPECT_EQ(entry, nullptr);
}

TEST_F(ClientEntryTest, ShutDownGivesEveryReferenceBack) {
  CountingUnknown companion;
  ASSERT_EQ(Connect(nullptr, nullptr, &companion), 0);
  EXPECT_EQ(companion.refs, 1);
  EXPECT_EQ(host.SendInitialize(1), S_OK);
  ASSERT_EQ(g_recorder.calls.size(), 1u);
  EXPECT_EQ(g_recorder.calls[0].name, "Initialize");
  EXPECT_EQ(host.SendQuit(), S_OK);
  EXPECT_EQ(ClientInitialised, 0);
  EXPECT_EQ(g_recorder.calls.size(), 1u);  // "Quit" reaches no callback

  host.ReleaseSink();
  EXPECT_EQ(ClientSink, nullptr);
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_EQ(companion.refs, 0);
  EXPECT_EQ(ClientCompanion, nullptr);
  for (IUnknown* entry : HostInterfaceTable) EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(host.OutstandingTotal(), 0);
  EXPECT_EQ(host.OverReleases(), 0);
}

TEST_F(ClientEntryTest, HostThatKeepsNoSinkEndsTheConnectionAtOnce) {
  host.SetFault(kHostApiIndex, 3, SimFault::kFail);  // RegisterClient refuses, keeps nothing
  EXPECT_EQ(Connect(), 0);
  EXPECT_EQ(ClientSink, nullptr);
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_EQ(host.OutstandingTotal(), 0);
}

TEST_F(ClientEntryTest, DisconnectWhileTheHostLetsTheSinkGo) {
  ASSERT_EQ(Connect(), 0);
  // The host releases the sink as soon as the client lets go of its interfaces: the sink ends
  // inside HostDisconnect's own releases, which must not touch it afterwards.
  host.ReleaseSinkWhenLetGo(true);
  HostDisconnect();
  EXPECT_FALSE(host.HasSink());
  EXPECT_EQ(ClientSink, nullptr);
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_EQ(host.OutstandingTotal(), 0);
}

TEST_F(ClientEntryTest, DisconnectWithTheSinkStillHeld) {
  ASSERT_EQ(Connect(), 0);
  HostDisconnect();
  EXPECT_EQ(host.OutstandingTotal(), 0);
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_NE(ClientSink, nullptr);  // the host still holds it
  EXPECT_EQ(host.SinkRefCount(), 1);
  host.ReleaseSink();
  EXPECT_EQ(ClientSink, nullptr);
}

TEST_F(ClientEntryTest, AcquireAndReleaseTouchOnlyTheBaseInterfaces) {
  AcquireHostInterfaces(host.Object());
  for (int i = 0; i < kHostInterfaceCount; ++i) {
    SCOPED_TRACE(HostInterfaceName(i));
    EXPECT_EQ(host.Outstanding(i), i < kHostBaseInterfaceCount ? 1 : 0);
  }
  IUnknown* optional = nullptr;
  host.Object()->QueryInterface(IID_HostAuxiliary, reinterpret_cast<void**>(&optional));
  HostInterfaceTable[kHostAuxiliaryIndex] = optional;
  ReleaseHostInterfaces();
  EXPECT_EQ(host.OutstandingTotal(), 1);
  EXPECT_EQ(HostInterfaceTable[kHostAuxiliaryIndex], optional);
  EXPECT_EQ(HostInterfaceTable[kHostApiIndex], nullptr);
}

// A host may send "Initialize" from inside the registration, while start-up is still making its
// calls: the client sees it once start-up is over, in the order sent; past the limit of eight
// held, a ninth runs at once.
TEST_F(ClientEntryTest, InitializeSentDuringRegistrationRunsOnceStartUpIsOver) {
  const struct {
    int line;
    int sends;                    // "Initialize" sent inside the registration, codes 1, 2, ...
    std::vector<int64_t> inside;  // codes the client saw before the registration returned
    std::vector<int64_t> after;   // codes seen in all once start-up has returned
  } rows[] = {
      {__LINE__, 1, {}, {1}},
      {__LINE__, 2, {}, {1, 2}},
      {__LINE__, 9, {9}, {9, 1, 2, 3, 4, 5, 6, 7, 8}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    g_recorder = {};
    SimHost local;
    struct Context {
      SimHost* host;
      int sends;
      std::vector<int64_t> inside;
    } context{&local, row.sends, {}};
    local.OnRegistration(
        [](void* raw) {
          auto* c = static_cast<Context*>(raw);
          for (int code = 1; code <= c->sends; ++code)
            EXPECT_EQ(c->host->SendInitialize(code), S_OK);
          for (const RecordedCall& call : g_recorder.calls) c->inside.push_back(call.a);
        },
        &context);
    ASSERT_EQ(F_ApiClientInit(nullptr, local.Object(), nullptr, nullptr), 0);
    EXPECT_EQ(context.inside, row.inside);
    std::vector<int64_t> after;
    for (const RecordedCall& call : g_recorder.calls) {
      EXPECT_EQ(call.name, "Initialize");
      after.push_back(call.a);
    }
    EXPECT_EQ(after, row.after);
    // Once started, "Initialize" runs at once again.
    g_recorder.calls.clear();
    EXPECT_EQ(local.SendInitialize(42), S_OK);
    ASSERT_EQ(g_recorder.calls.size(), 1u);
    EXPECT_EQ(g_recorder.calls[0].a, 42);
    local.ReleaseSink();
    HostDisconnect();
    EXPECT_EQ(local.OutstandingTotal(), 0);
  }
}

}  // namespace
