// The message filter's registration, the channel's retries of rejected calls, and calls posted to
// an apartment. Time is the fake clock's: nothing sleeps.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/com_calls.h"
#include "platform/com_runtime.h"
#include "platform/win_message.h"
#include "tests/platform/fake_clock.h"

namespace {

struct Rejection {
  DWORD elapsed;
  DWORD rejectType;
};

// A filter whose retry answers come from a function; it notes what it was asked.
class ScriptedFilter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IMessageFilter)) {
      return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, INTERFACEINFO*) override {
    ++incoming;
    return incomingAnswer;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD rejectType) override {
    rejections.push_back({elapsed, rejectType});
    return retry(elapsed, rejectType);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    ++pending;
    return pendingAnswer;
  }

  int32_t refs = 1;  // the test's own
  std::function<DWORD(DWORD, DWORD)> retry = [](DWORD, DWORD) { return kRetryCancel; };
  std::vector<Rejection> rejections;
  DWORD incomingAnswer = SERVERCALL_ISHANDLED;
  int incoming = 0;
  DWORD pendingAnswer = PENDINGMSG_WAITDEFPROCESS;
  int pending = 0;
};

// A server that rejects the first `busy` calls with `answer`, then answers S_OK.
struct BusyServer {
  int busy;
  HRESULT answer = RPC_E_SERVERCALL_RETRYLATER;
  int calls = 0;
  static HRESULT Call(void* context) {
    auto* server = static_cast<BusyServer*>(context);
    return server->calls++ < server->busy ? server->answer : S_OK;
  }
};

class ComCallsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
  void TearDown() override {
    CoUninitialize();
    EXPECT_EQ(ComInitializeDepth(), 0u);
    EXPECT_EQ(filter.refs, 1);
  }
  ScriptedFilter filter;
};

TEST_F(ComCallsTest, RegistrationHoldsOneReferenceAndTheApartmentsEndReleasesIt) {
  ASSERT_EQ(CoRegisterMessageFilter(&filter, nullptr), S_OK);
  EXPECT_EQ(filter.refs, 2);
  ScriptedFilter other;
  IMessageFilter* previous = nullptr;
  ASSERT_EQ(CoRegisterMessageFilter(&other, &previous), S_OK);
  EXPECT_EQ(previous, &filter);  // handed over, still counted
  EXPECT_EQ(filter.refs, 2);
  previous->Release();
  ASSERT_EQ(CoRegisterMessageFilter(&filter, nullptr), S_OK);
  EXPECT_EQ(other.refs, 1);  // replaced: released
  // An inner CoUninitialize keeps the apartment and its filter; the last one releases it.
  ASSERT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  EXPECT_EQ(filter.refs, 2);
  CoUninitialize();
  EXPECT_EQ(filter.refs, 1);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);  // for TearDown
}

TEST(ComFilterRegistration, NeedsAnApartment) {
  ScriptedFilter filter;
  EXPECT_EQ(CoRegisterMessageFilter(&filter, nullptr), CO_E_NOTINITIALIZED);
  EXPECT_EQ(filter.refs, 1);
}

TEST_F(ComCallsTest, WithoutAFilterTheRejectionComesBackAsItIs) {
  ScopedFakeClock clock;
  for (HRESULT answer : {RPC_E_SERVERCALL_RETRYLATER, RPC_E_CALL_REJECTED}) {
    BusyServer server{5, answer};
    EXPECT_EQ(ComCallServer(BusyServer::Call, &server), answer);
    EXPECT_EQ(server.calls, 1);
  }
  BusyServer fine{0};
  EXPECT_EQ(ComCallServer(BusyServer::Call, &fine), S_OK);
  EXPECT_EQ(clock.sleeps(), 0u);
}

TEST_F(ComCallsTest, OtherFailuresAreNotRetried) {
  ASSERT_EQ(CoRegisterMessageFilter(&filter, nullptr), S_OK);
  filter.retry = [](DWORD, DWORD) { return 0; };
  auto failing = [](void*) -> HRESULT { return E_FAIL; };
  EXPECT_EQ(ComCallServer(failing, nullptr), E_FAIL);
  EXPECT_TRUE(filter.rejections.empty());
  CoRegisterMessageFilter(nullptr, nullptr);
}

TEST_F(ComCallsTest, TheFiltersAnswerDecidesEachRetry) {
  struct Row {
    int line;
    DWORD answer;              // what RetryRejectedCall answers every time
    HRESULT serverAnswer;      // how the server rejects
    int busy;                  // rejections before the server answers
    HRESULT expected;          // what the call returns
    int calls;                 // server calls made
    DWORD rejectType;          // what the filter was told
    unsigned long long slept;  // ms slept in total
  };
  const Row rows[] = {
      {__LINE__, 0, RPC_E_SERVERCALL_RETRYLATER, 3, S_OK, 4, SERVERCALL_RETRYLATER, 0},
      {__LINE__, 99, RPC_E_SERVERCALL_RETRYLATER, 3, S_OK, 4, SERVERCALL_RETRYLATER, 0},
      {__LINE__, 100, RPC_E_SERVERCALL_RETRYLATER, 3, S_OK, 4, SERVERCALL_RETRYLATER, 300},
      {__LINE__, 2500, RPC_E_CALL_REJECTED, 2, S_OK, 3, SERVERCALL_REJECTED, 5000},
      {__LINE__, kRetryCancel, RPC_E_SERVERCALL_RETRYLATER, 3, RPC_E_CALL_REJECTED, 1,
       SERVERCALL_RETRYLATER, 0},
      {__LINE__, kRetryCancel, RPC_E_CALL_REJECTED, 3, RPC_E_CALL_REJECTED, 1, SERVERCALL_REJECTED,
       0},
  };
  ASSERT_EQ(CoRegisterMessageFilter(&filter, nullptr), S_OK);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    ScopedFakeClock clock;
    filter.rejections.clear();
    filter.retry = [&](DWORD, DWORD) { return row.answer; };
    BusyServer server{row.busy, row.serverAnswer};
    EXPECT_EQ(ComCallServer(BusyServer::Call, &server), row.expected);
    EXPECT_EQ(server.calls, row.calls);
    ASSERT_FALSE(filter.rejections.empty());
    for (const Rejection& r : filter.rejections) EXPECT_EQ(r.rejectType, row.rejectType);
    EXPECT_EQ(clock.slept(), row.slept);
  }
  CoRegisterMessageFilter(nullptr, nullptr);
}

TEST_F(ComCallsTest, ElapsedTimeCountsFromTheFirstAttemptAcrossTheTickCountsWrap) {
  // The 32-bit tick count wraps 10 ms after the call begins.
  ScopedFakeClock clock(0xFFFFFFFFull - 10, 0);
  ASSERT_EQ(CoRegisterMessageFilter(&filter, nullptr), S_OK);
  filter.retry = [](DWORD elapsed, DWORD) { return elapsed < 1000 ? 400 : kRetryCancel; };
  BusyServer server{100};
  EXPECT_EQ(ComCallServer(BusyServer::Call, &server), RPC_E_CALL_REJECTED);
  ASSERT_EQ(filter.rejections.size(), 4u);
  EXPECT_EQ(filter.rejections[0].elapsed, 0u);
  EXPECT_EQ(filter.rejections[1].elapsed, 400u);
  EXPECT_EQ(filter.rejections[2].elapsed, 800u);
  EXPECT_EQ(filter.rejections[3].elapsed, 1200u);
  CoRegisterMessageFilter(nullptr, nullptr);
}

TEST_F(ComCallsTest, APendingMessageIsReportedBeforeWaitingAndMayCancel) {
  ScopedFakeClock clock;
  ASSERT_EQ(CoRegisterMessageFilter(&filter, nullptr), S_OK);
  filter.retry = [](DWORD, DWORD) { return 500; };
  BusyServer quiet{1};
  EXPECT_EQ(ComCallServer(BusyServer::Call, &quiet), S_OK);
  EXPECT_EQ(filter.pending, 0);  // nothing queued: nothing to report

  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0));
  BusyServer waiting{1};
  EXPECT_EQ(ComCallServer(BusyServer::Call, &waiting), S_OK);
  EXPECT_EQ(filter.pending, 1);

  filter.pendingAnswer = PENDINGMSG_CANCELCALL;
  BusyServer cancelled{1};
  EXPECT_EQ(ComCallServer(BusyServer::Call, &cancelled), RPC_E_CALL_REJECTED);
  EXPECT_EQ(cancelled.calls, 1);
  MSG msg;
  ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);  // the message stays for the loop
  EXPECT_EQ(msg.message, WM_USER);
  CoRegisterMessageFilter(nullptr, nullptr);
}

struct PostedRecord {
  std::vector<HRESULT> admitted;
};

void NotePosted(void* context, HRESULT admitted) {
  static_cast<PostedRecord*>(context)->admitted.push_back(admitted);
}

TEST_F(ComCallsTest, PostedCallsRunWhenDispatchedAfterTheFilterAdmitsThem) {
  PostedRecord record;
  EXPECT_EQ(ComPostCall(0, NotePosted, &record), E_INVALIDARG);
  EXPECT_EQ(ComPostCall(GetCurrentThreadId(), nullptr, &record), E_INVALIDARG);
  ASSERT_EQ(ComPostCall(GetCurrentThreadId(), NotePosted, &record), S_OK);
  EXPECT_TRUE(record.admitted.empty());  // nothing runs before the loop takes it
  MSG msg;
  ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_NE(msg.hwnd, nullptr);  // the apartment's window
  DispatchMessageA(&msg);
  ASSERT_EQ(record.admitted.size(), 1u);
  EXPECT_EQ(record.admitted[0], S_OK);

  struct Row {
    int line;
    DWORD answer;
    HRESULT admitted;
  };
  const Row rows[] = {{__LINE__, SERVERCALL_ISHANDLED, S_OK},
                      {__LINE__, SERVERCALL_RETRYLATER, RPC_E_SERVERCALL_RETRYLATER},
                      {__LINE__, SERVERCALL_REJECTED, RPC_E_CALL_REJECTED}};
  ASSERT_EQ(CoRegisterMessageFilter(&filter, nullptr), S_OK);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    record.admitted.clear();
    filter.incomingAnswer = row.answer;
    ASSERT_EQ(ComPostCall(GetCurrentThreadId(), NotePosted, &record), S_OK);
    ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
    DispatchMessageA(&msg);
    ASSERT_EQ(record.admitted.size(), 1u);
    EXPECT_EQ(record.admitted[0], row.admitted);
  }
  EXPECT_EQ(filter.incoming, 3);
  CoRegisterMessageFilter(nullptr, nullptr);
}

TEST_F(ComCallsTest, TheApartmentsEndTellsQueuedCallsTheyWillNotRunAndKeepsOtherMessages) {
  PostedRecord record;
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 1, 7, 0));
  ASSERT_EQ(ComPostCall(GetCurrentThreadId(), NotePosted, &record), S_OK);
  ASSERT_EQ(ComPostCall(GetCurrentThreadId(), NotePosted, &record), S_OK);
  CoUninitialize();
  EXPECT_EQ(record.admitted, (std::vector<HRESULT>{RPC_E_DISCONNECTED, RPC_E_DISCONNECTED}));
  MSG msg;
  ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_USER + 1u);
  EXPECT_EQ(msg.wParam, 7u);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);  // for TearDown
}

}  // namespace
