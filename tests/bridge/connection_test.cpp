// The out-of-process client against the simulated host's server module: connecting by class and
// by machine, the message loop, a busy host, and tearing everything down again.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "bridge/client_state.h"
#include "bridge/connection.h"
#include "bridge/host_calls.h"
#include "bridge/host_errno.h"
#include "bridge/message_filter.h"
#include "hostsim/host_object.h"
#include "platform/com_creation.h"
#include "platform/com_runtime.h"
#include "platform/platform_calls.h"
#include "platform/win_message.h"
#include "platform/win_module.h"
#include "tests/bridge/client_recorder.h"
#include "tests/bridge/slot_walk.h"
#include "tests/platform/fake_clock.h"
#include "tests/support/fault_injection.h"

namespace {

// {0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}: a class nobody serves.
constexpr CLSID kUnservedClass = {
    0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0}};
constexpr char kUnservedText[] = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
constexpr int32_t kPropSearch = 110;

typedef int (*SessionCountFn)();
typedef SimHost* (*SessionHostFn)(int);
typedef void (*SetBusyFn)(int, DWORD);

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Counts the run-time lookups of CoCreateInstanceEx, or refuses them.
int g_createExLookups = 0;
bool g_refuseCreateEx = false;
void* CountingDlSym(void* handle, const char* name) {
  if (std::strcmp(name, "CoCreateInstanceEx") == 0) {
    ++g_createExLookups;
    if (g_refuseCreateEx) return nullptr;
  }
  return dlsym(handle, name);
}

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostErrno = 0;
    ClientStopped = 0;
    g_recorder = {};
    g_createExLookups = 0;
    g_refuseCreateEx = false;
    for (const char* name :
         {kHostClassVariable, kComRegistryVariable, "TANSEL_SIM_DOCUMENTS", "TANSEL_SIM_BUSY_MS"}) {
      unsetenv(name);
    }
    ASSERT_EQ(ComRegisterServer(kDefaultHostClass, HOST_SERVER_PATH), S_OK);
    server_ = LoadLibraryA(HOST_SERVER_PATH);
    ASSERT_NE(server_, nullptr);
    sessionCount_ = Export<SessionCountFn>(server_, "SimServerSessionCount");
    sessionHost_ = Export<SessionHostFn>(server_, "SimServerHost");
    setBusy_ = Export<SetBusyFn>(server_, "SimServerSetBusy");
    ASSERT_TRUE(sessionCount_ && sessionHost_ && setBusy_);
    firstSession_ = sessionCount_();
    g_platformCalls.DlSym = CountingDlSym;
  }

  void TearDown() override {
    HostDisconnect();
    EXPECT_EQ(HostIsConnected(), 0);
    EXPECT_EQ(ClientSink, nullptr);
    EXPECT_EQ(InstalledMessageFilter, nullptr);
    EXPECT_EQ(ClientComInitialised, 0);
    EXPECT_EQ(ComInitializeDepth(), 0u);
    // Every reference the simulated hosts handed out came back, and no more.
    for (int i = firstSession_; i < sessionCount_(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(sessionHost_(i)->OutstandingTotal(), 0);
      EXPECT_EQ(sessionHost_(i)->OverReleases(), 0);
    }
    PlatformCallsReset();
    ComRevokeServer(kDefaultHostClass);
    ComRevokeServer(kUnservedClass);
    unsetenv(kHostClassVariable);
    FreeLibrary(server_);
  }

  int Made() const { return sessionCount_() - firstSession_; }
  SimHost* LastHost() const { return sessionHost_(sessionCount_() - 1); }
  void SetBusy(DWORD ms) { setBusy_(sessionCount_() - 1, ms); }

  HMODULE server_ = nullptr;
  SessionCountFn sessionCount_ = nullptr;
  SessionHostFn sessionHost_ = nullptr;
  SetBusyFn setBusy_ = nullptr;
  int firstSession_ = 0;
};

TEST_F(ConnectionTest, ConnectsAndDisconnectsGivingEverythingBack) {
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(HostIsConnected(), 1);
  EXPECT_EQ(Made(), 1);
  EXPECT_EQ(ClientStopped, 0);
  EXPECT_EQ(ClientComInitialised, 1);
  ASSERT_NE(InstalledMessageFilter, nullptr);
  EXPECT_EQ(LastHost()->Registrations(), 1);
  EXPECT_TRUE(LastHost()->HasSink());
  EXPECT_GT(LastHost()->OutstandingTotal(), 0);
  EXPECT_EQ(ComInitializeDepth(), 1u);
  IMessageFilter* filter = InstalledMessageFilter;
  ASSERT_NE(ClientSink, nullptr);
  HostDisconnect();
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_EQ(ClientSink, nullptr);  // the host's stub let it go: the sink ended
  EXPECT_EQ(LastHost()->OutstandingTotal(), 0);
  // The library keeps its own reference to its filter for good.
  EXPECT_EQ(filter->AddRef(), 2u);
  EXPECT_EQ(filter->Release(), 1u);
}

TEST_F(ConnectionTest, EveryWrapperCrossesTheChannel) {
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  SimHost* host = LastHost();
  slot_walk::PrepareHost(*host);
  // A busy host is the message filter's to retry out of process; the other outcomes cross as
  // they are.
  slot_walk::WalkEverySlot(
      *host, {slot_walk::kOk, slot_walk::kFail, slot_walk::kCode, slot_walk::kNoCode}, false);
}

TEST_F(ConnectionTest, ConnectingWhileConnectedMakesNothing) {
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  const int32_t outstanding = LastHost()->OutstandingTotal();
  HostErrno = 5;
  EXPECT_EQ(HostConnect(nullptr, "elsewhere.example", &kUnservedClass), 0);
  EXPECT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(Made(), 1);
  EXPECT_EQ(LastHost()->OutstandingTotal(), outstanding);
  EXPECT_EQ(ComInitializeDepth(), 1u);
  EXPECT_EQ(HostErrno, 5);
}

TEST_F(ConnectionTest, HostGuidChoosesTheClassWhenItIsOne) {
  struct Row {
    int line;
    const char* hostGuid;     // null: unset
    const CLSID* classId;     // the argument
    bool madeByDefaultClass;  // else the unserved class was asked for, and nothing was made
  };
  const Row rows[] = {
      {__LINE__, nullptr, nullptr, true},
      {__LINE__, kUnservedText, nullptr, false},
      {__LINE__, "{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}", nullptr, false},
      {__LINE__, "not a class identifier", nullptr, true},
      {__LINE__, "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0", nullptr, true},
      {__LINE__, "", nullptr, true},
      {__LINE__, kUnservedText, &kDefaultHostClass, true},  // the argument wins
      {__LINE__, nullptr, &kUnservedClass, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    if (row.hostGuid != nullptr) {
      setenv(kHostClassVariable, row.hostGuid, 1);
    } else {
      unsetenv(kHostClassVariable);
    }
    const int before = Made();
    HostErrno = 0;
    const int32_t result = HostConnect(nullptr, nullptr, row.classId);
    EXPECT_EQ(result, row.madeByDefaultClass ? 0 : ErrNoHost);
    EXPECT_EQ(HostErrno, row.madeByDefaultClass ? 0 : ErrNoHost);
    EXPECT_EQ(Made() - before, row.madeByDefaultClass ? 1 : 0);
    HostDisconnect();
    EXPECT_EQ(ComInitializeDepth(), 0u);
  }
}

TEST_F(ConnectionTest, AHostGuidTooLongForItsBufferIsNotAClass) {
  std::string text = kUnservedText + std::string(600, ' ');
  setenv(kHostClassVariable, text.c_str(), 1);
  EXPECT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(Made(), 1);
}

TEST_F(ConnectionTest, HostNamesReachOnlyThisMachine) {
  struct Row {
    int line;
    std::string name;
    int32_t result;
    int lookups;  // of CoCreateInstanceEx
  };
  const Row rows[] = {
      {__LINE__, "localhost", 0, 1},
      {__LINE__, "LOCALHOST", 0, 1},
      {__LINE__, "elsewhere.example", ErrNoHost, 1},
      {__LINE__, "", ErrNoHost, 1},
      {__LINE__, std::string(511, 'h'), ErrNoHost, 1},  // fits: asked, and unreachable
      // Does not fit in 512 wide characters with its terminator: refused before anything is
      // looked up, never cut to a name that might reach another machine.
      {__LINE__, std::string(512, 'h'), ErrNoHost, 0},
      {__LINE__, "localhost" + std::string(600, 'x'), ErrNoHost, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    g_createExLookups = 0;
    HostErrno = 0;
    const int before = Made();
    EXPECT_EQ(HostConnect(nullptr, row.name.c_str(), nullptr), row.result);
    EXPECT_EQ(HostErrno, row.result);
    EXPECT_EQ(g_createExLookups, row.lookups);
    EXPECT_EQ(Made() - before, row.result == 0 ? 1 : 0);
    EXPECT_EQ(HostIsConnected(), row.result == 0 ? 1 : 0);
    HostDisconnect();
  }
}

TEST_F(ConnectionTest, WithoutCoCreateInstanceExANamedHostFailsBeforeAnythingIsMade) {
  g_refuseCreateEx = true;
  EXPECT_EQ(HostConnect(nullptr, "localhost", nullptr), ErrNoHost);
  EXPECT_EQ(HostErrno, ErrNoHost);
  EXPECT_EQ(g_createExLookups, 1);
  EXPECT_EQ(Made(), 0);
  // The failed attempt undid its own set-up, so the next one starts clean.
  EXPECT_EQ(ComInitializeDepth(), 0u);
  EXPECT_EQ(InstalledMessageFilter, nullptr);
  EXPECT_EQ(ClientComInitialised, 0);
  EXPECT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(Made(), 1);
  EXPECT_EQ(ComInitializeDepth(), 1u);
}

TEST_F(ConnectionTest, AFailingClientEntryIsTheResultAndLeavesNothingBehind) {
  {
    // The sink is the first block the library asks for: without it the entry fails.
    ScopedAllocationFailure refuse(0);
    EXPECT_EQ(HostConnect(nullptr, nullptr, nullptr), -1);
    EXPECT_GT(refuse.refused(), 0);
  }
  EXPECT_EQ(HostErrno, ErrHostCall);
  EXPECT_EQ(Made(), 1);
  EXPECT_EQ(LastHost()->OutstandingTotal(), 0);
  EXPECT_EQ(LastHost()->Registrations(), 0);
  EXPECT_EQ(HostIsConnected(), 0);
  EXPECT_EQ(ComInitializeDepth(), 0u);
  EXPECT_EQ(InstalledMessageFilter, nullptr);
  EXPECT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);  // the next attempt starts clean
}

TEST_F(ConnectionTest, CreateHostObjectMakesTheObjectAndNothingElse) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  IUnknown* host = CreateHostObject(nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(Made(), 1);
  EXPECT_EQ(InstalledMessageFilter, nullptr);
  EXPECT_EQ(ComInitializeDepth(), 1u);
  host->Release();
  g_refuseCreateEx = true;
  HostErrno = 0;
  EXPECT_EQ(CreateHostObject("localhost", nullptr), nullptr);
  EXPECT_EQ(CreateHostObject(nullptr, &kUnservedClass), nullptr);
  EXPECT_EQ(HostErrno, 0);
  CoUninitialize();
  EXPECT_EQ(CreateHostObject(nullptr, nullptr), nullptr);  // no apartment
}

TEST_F(ConnectionTest, CoUninitializeRunsOnlyAfterOurOwnFirstCoInitialize) {
  // The program's own apartment: the library's CoInitialize answers S_FALSE and leaves COM, and
  // the filter, to the program.
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(ClientComInitialised, 0);
  EXPECT_EQ(InstalledMessageFilter, nullptr);
  HostDisconnect();
  EXPECT_EQ(ComInitializeDepth(), 2u);  // the library's S_FALSE call is not undone
  CoUninitialize();
  CoUninitialize();
  // Its own apartment: undone at the end.
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(ClientComInitialised, 1);
  EXPECT_EQ(ComInitializeDepth(), 1u);
  HostDisconnect();
  EXPECT_EQ(ComInitializeDepth(), 0u);
}

TEST_F(ConnectionTest, TheHostEndingTheSinkLeavesComInitialised) {
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  IMessageFilter* filter = InstalledMessageFilter;
  LastHost()->ReleaseSink();  // the host lets the client go
  EXPECT_EQ(ClientSink, nullptr);
  EXPECT_EQ(HostIsConnected(), 0);
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_EQ(LastHost()->OutstandingTotal(), 0);
  EXPECT_EQ(ComInitializeDepth(), 1u);
  EXPECT_EQ(ClientComInitialised, 1);
  EXPECT_EQ(InstalledMessageFilter, filter);
  // The program, which runs the loop, ends COM itself.
  InstalledMessageFilter = nullptr;
  ClientComInitialised = 0;
  CoUninitialize();
}

TEST_F(ConnectionTest, TheSinkEndingWhileTheClientLetsGoStillEndsTheConnection) {
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(ClientComInitialised, 1);
  ASSERT_NE(InstalledMessageFilter, nullptr);
  // The host releases the sink as soon as the client has released its interfaces: the sink ends
  // inside the disconnection, which the sink was recorded for when it began.
  LastHost()->ReleaseSinkWhenLetGo(true);
  HostDisconnect();
  EXPECT_FALSE(LastHost()->HasSink());
  EXPECT_EQ(ClientSink, nullptr);
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_EQ(InstalledMessageFilter, nullptr);
  EXPECT_EQ(ClientComInitialised, 0);
  EXPECT_EQ(ComInitializeDepth(), 0u);
}

TEST_F(ConnectionTest, TheQuitMessageEndsTheRunAndTearsTheConnectionDown) {
  // The test's ClientInitialize keeps the loop running: only the quit message ends it, after the
  // host's "Initialize" posted before it.
  PostQuitMessage(0);
  EXPECT_EQ(HostRunClient(), 0);
  ASSERT_EQ(g_recorder.calls.size(), 1u);
  EXPECT_EQ(g_recorder.calls[0].name, "Initialize");
  EXPECT_EQ(g_recorder.calls[0].a, 1);
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_EQ(HostIsConnected(), 0);
  EXPECT_EQ(ClientSink, nullptr);
  EXPECT_EQ(Made(), 1);
  EXPECT_EQ(LastHost()->OutstandingTotal(), 0);
  EXPECT_EQ(ComInitializeDepth(), 0u);
}

// The host's process ends while the client waits for its next callback: the loop's watch finds
// the host gone, and the run ends as a failure instead of waiting for ever.
TEST_F(ConnectionTest, AHostGoneWhileTheClientWaitsEndsTheRun) {
  static SessionHostFn host;
  static SessionCountFn count;
  host = sessionHost_;
  count = sessionCount_;
  g_recorder.onInitialize = [] { host(count() - 1)->SetFaultEverywhere(SimFault::kGone); };
  // A loop that never looks would wait for ever: the test ends it as a failure instead.
  std::mutex lock;
  std::condition_variable ended;
  bool done = false;
  std::thread backstop([&] {
    std::unique_lock<std::mutex> hold(lock);
    if (!ended.wait_for(hold, std::chrono::seconds(30), [&] { return done; })) {
      std::fprintf(stderr, "HostRunClient still waits 30 s after its host has gone\n");
      std::abort();
    }
  });
  ::testing::internal::CaptureStderr();
  const int32_t result = HostRunClient();
  {
    std::lock_guard<std::mutex> hold(lock);
    done = true;
  }
  ended.notify_one();
  backstop.join();
  EXPECT_EQ(result, 1);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("The host has gone"), std::string::npos) << said;
  ASSERT_EQ(g_recorder.calls.size(), 1u);
  EXPECT_EQ(g_recorder.calls[0].name, "Initialize");
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_EQ(HostIsConnected(), 0);
  EXPECT_EQ(ComInitializeDepth(), 0u);
}

TEST_F(ConnectionTest, AFailedRunSaysSoOnStandardError) {
  ComRevokeServer(kDefaultHostClass);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(HostRunClient(), 1);
  const std::string said = ::testing::internal::GetCapturedStderr();
  // The host's line, then one line that says why.
  const std::string first = std::string(ConnectFailureText) + "\n";
  ASSERT_EQ(said.substr(0, first.size()), first);
  const std::string why = said.substr(first.size());
  EXPECT_GT(why.size(), 1u);
  EXPECT_EQ(why.find('\n'), why.size() - 1) << why;
  EXPECT_EQ(HostErrno, ErrNoHost);
  EXPECT_EQ(ClientStopped, 1);
  EXPECT_EQ(ComInitializeDepth(), 0u);
}

// Memory policy belongs to one host: after a host that shared its memory, the next one's blocks
// are freed again.
TEST_F(ConnectionTest, ADisconnectionForgetsTheHostsMemoryPolicy) {
  for (int32_t shared : {0, 1}) {
    SCOPED_TRACE(shared);
    SharedHostMemory = shared;
    HostDisconnect();
    EXPECT_EQ(SharedHostMemory, 0);
  }
}

TEST_F(ConnectionTest, ConnectStatusIsTheFailureTextOrNull) {
  ComRevokeServer(kDefaultHostClass);
  EXPECT_STREQ(HostConnectStatus(), "Can't connect to host server");
  ASSERT_EQ(ComRegisterServer(kDefaultHostClass, HOST_SERVER_PATH), S_OK);
  EXPECT_EQ(HostConnectStatus(), nullptr);
  EXPECT_EQ(HostIsConnected(), 1);
}

TEST_F(ConnectionTest, PumpOneMessageDispatchesOneAndStopsAtQuit) {
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  int32_t out = 7;
  EXPECT_EQ(PumpOneMessage(&out), 0);  // the host's "Initialize"
  EXPECT_EQ(out, 0);
  ASSERT_EQ(g_recorder.calls.size(), 1u);
  EXPECT_EQ(ClientStopped, 0);
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0));
  EXPECT_EQ(PumpOneMessage(nullptr), 0);  // no window: nothing happens
  EXPECT_EQ(ClientStopped, 0);
  PostQuitMessage(0);
  EXPECT_EQ(PumpOneMessage(&out), 0);
  EXPECT_EQ(ClientStopped, 1);
  StopClientLoop();
  EXPECT_EQ(ClientStopped, 1);
}

TEST_F(ConnectionTest, InstallingTheFilterNeedsTheProgramsApartment) {
  EXPECT_EQ(InstallMessageFilter(), CO_E_NOTINITIALIZED);
  EXPECT_NE(InstalledMessageFilter, nullptr);  // recorded all the same
  InstalledMessageFilter = nullptr;
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(InstallMessageFilter(), S_OK);
  IMessageFilter* previous = nullptr;
  ASSERT_EQ(CoRegisterMessageFilter(nullptr, &previous), S_OK);
  EXPECT_EQ(previous, InstalledMessageFilter);
  previous->Release();
  InstalledMessageFilter = nullptr;
  CoUninitialize();
}

TEST_F(ConnectionTest, ABusyHostIsRetriedUntilItAnswers) {
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  const ObjectId document = LastHost()->AddDocument(1);
  ScopedFakeClock clock;
  const unsigned long long start = clock.now();
  SetBusy(5000);
  HostErrno = 0;
  EXPECT_EQ(HostGetInt(document, document, kPropSearch), 1);
  EXPECT_EQ(HostErrno, 0);
  EXPECT_GE(clock.now() - start, 5000u);
  EXPECT_GT(clock.sleeps(), 0u);
  // The waits back off to a quarter of the time spent: well short of twice the busy time.
  EXPECT_LT(clock.now() - start, 10000u);
}

TEST_F(ConnectionTest, ABusyHostIsGivenUpAfterTwentyMinutes) {
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  const ObjectId document = LastHost()->AddDocument(1);
  const int32_t calls = LastHost()->Calls(kHostApiIndex, 85);
  {
    ScopedFakeClock clock;
    const unsigned long long start = clock.now();
    SetBusy(30 * 60 * 1000);
    HostErrno = 0;
    EXPECT_EQ(HostGetInt(document, document, kPropSearch), 0);
    // The filter cancels: the call comes back rejected, which the wrappers report as ErrHostCall.
    EXPECT_EQ(HostErrno, ErrHostCall);
    EXPECT_GE(clock.now() - start, RetryTimeout);
    EXPECT_LT(clock.now() - start, RetryTimeout + RetryTimeout / 4 + 1000);
  }
  {
    // Without a filter the host's own answer comes back at once: ErrHostBusy.
    ScopedFakeClock clock;
    ASSERT_EQ(CoRegisterMessageFilter(nullptr, nullptr), S_OK);
    HostErrno = 0;
    EXPECT_EQ(HostGetInt(document, document, kPropSearch), 0);
    EXPECT_EQ(HostErrno, ErrHostBusy);
    EXPECT_EQ(clock.sleeps(), 0u);
  }
  EXPECT_EQ(LastHost()->Calls(kHostApiIndex, 85), calls);  // the busy host ran none of them
  SetBusy(0);
  EXPECT_EQ(HostGetInt(document, document, kPropSearch), 1);
}

TEST_F(ConnectionTest, ABusyHostAtStartUpIsWaitedFor) {
  setenv("TANSEL_SIM_BUSY_MS", "3000", 1);
  ScopedFakeClock clock;
  const unsigned long long start = clock.now();
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  EXPECT_GE(clock.now() - start, 3000u);
  EXPECT_EQ(LastHost()->Registrations(), 1);
  unsetenv("TANSEL_SIM_BUSY_MS");
}

}  // namespace
