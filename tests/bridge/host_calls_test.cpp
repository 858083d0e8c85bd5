// The host-call convention: results and HostErrno for every outcome of a call, and the copies of
// host memory.
#include <cstring>

#include "bridge/host_call.h"
#include "bridge/host_calls.h"
#include "bridge/host_wrappers.h"
#include "strings/memory.h"
#include "tests/bridge/bridge_fixture.h"

namespace {

constexpr int32_t kEarlier = 55;  // a HostErrno value left by an earlier failure
constexpr int32_t kPropText = 30;

class HostCallsTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    document = host.AddDocument(1);
    host.SetString(document, kPropText, "text");
    host.SetString(document, kPropText + 1, std::nullopt);
  }
  ObjectId document = 0;
};

// One wrapper's result, as a comparable string.
struct Wrapper {
  const char* name;
  int slot;                                // its HostApi slot
  std::string (*call)(ObjectId document);  // runs it, returns the result as text
};

std::string Int(int64_t v) {
  return std::to_string(v);
}
std::string Text(char* s) {
  std::string r = s == nullptr ? "(null)" : std::string("\"") + s + "\"";
  MemFree(s);
  return r;
}

const Wrapper kWrappers[] = {
    {"HostRequestNotification", 8, [](ObjectId) { return Int(HostRequestNotification(2, 1)); }},
    {"HostConsoleWrite", 24, [](ObjectId) { return Int(HostConsoleWrite("hello")); }},
    {"HostShowMessage", 20, [](ObjectId) { return Int(HostShowMessage("hi", 2)); }},
    {"HostGetInt", 85, [](ObjectId d) { return Int(HostGetInt(d, d, 110)); }},
    {"HostGetId", 89, [](ObjectId d) { return Int(HostGetId(d, d, 116)); }},
    {"HostGetString", 97, [](ObjectId d) { return Text(HostGetString(d, d, kPropText)); }},
};

TEST_F(HostCallsTest, OutcomesOfEveryShape) {
  host.SetId(document, 116, 4321);
  host.SetMessageResult(6);
  const struct {
    int line;
    const char* wrapper;
    SimFault fault;
    std::string result;
    int32_t errnoAfter;
  } rows[] = {
      {__LINE__, "HostRequestNotification", SimFault::kNone, "0", kEarlier},
      {__LINE__, "HostRequestNotification", SimFault::kBusy, "-1", ErrHostBusy},
      {__LINE__, "HostRequestNotification", SimFault::kFail, "-1", ErrHostCall},
      {__LINE__, "HostRequestNotification", SimFault::kNoCode, "-1", ErrHostCall},
      {__LINE__, "HostRequestNotification", SimFault::kCode, "7", 7},
      {__LINE__, "HostConsoleWrite", SimFault::kNone, "0", kEarlier},
      {__LINE__, "HostConsoleWrite", SimFault::kBusy, "-1", ErrHostBusy},
      {__LINE__, "HostConsoleWrite", SimFault::kNoCode, "-1", ErrHostCall},
      {__LINE__, "HostConsoleWrite", SimFault::kCode, "7", 7},
      {__LINE__, "HostShowMessage", SimFault::kNone, "6", kEarlier},
      {__LINE__, "HostShowMessage", SimFault::kBusy, "0", ErrHostBusy},
      {__LINE__, "HostShowMessage", SimFault::kFail, "0", ErrHostCall},
      {__LINE__, "HostShowMessage", SimFault::kNoCode, "6", kEarlier},  // it has no code
      {__LINE__, "HostGetInt", SimFault::kNone, "1", kEarlier},
      {__LINE__, "HostGetInt", SimFault::kBusy, "0", ErrHostBusy},
      {__LINE__, "HostGetInt", SimFault::kFail, "0", ErrHostCall},
      {__LINE__, "HostGetInt", SimFault::kNoCode, "0", ErrHostCall},
      {__LINE__, "HostGetInt", SimFault::kCode, "0", 7},
      {__LINE__, "HostGetId", SimFault::kNone, "4321", kEarlier},
      {__LINE__, "HostGetId", SimFault::kBusy, "0", ErrHostBusy},
      {__LINE__, "HostGetId", SimFault::kNoCode, "0", ErrHostCall},
      {__LINE__, "HostGetId", SimFault::kCode, "0", 7},
      {__LINE__, "HostGetString", SimFault::kNone, "\"text\"", kEarlier},
      {__LINE__, "HostGetString", SimFault::kBusy, "(null)", ErrHostBusy},
      {__LINE__, "HostGetString", SimFault::kFail, "(null)", ErrHostCall},
      {__LINE__, "HostGetString", SimFault::kNoCode, "(null)", ErrHostCall},
      {__LINE__, "HostGetString", SimFault::kCode, "(null)", 7},
  };
  ASSERT_EQ(Connect(), 0);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    const Wrapper* w = nullptr;
    for (const Wrapper& candidate : kWrappers) {
      if (std::strcmp(candidate.name, row.wrapper) == 0) w = &candidate;
    }
    ASSERT_NE(w, nullptr);
    host.ClearFaults();
    host.SetFault(kHostApiIndex, w->slot, row.fault, 7);
    int32_t calls = host.Calls(kHostApiIndex, w->slot);
    HostErrno = kEarlier;
    EXPECT_EQ(w->call(document), row.result);
    EXPECT_EQ(HostErrno, row.errnoAfter);
    EXPECT_EQ(host.Calls(kHostApiIndex, w->slot), calls + 1);
  }
  // Every string the host handed out went back to it, whatever the outcome.
  EXPECT_EQ(host.BlocksFreedByClient(), host.BlocksHandedOut());
  EXPECT_EQ(host.BlocksHandedOut(), 3u);  // none, kNoCode and kCode wrote a string
}

TEST_F(HostCallsTest, NoInterfacesAtAll) {
  for (const Wrapper& w : kWrappers) {
    SCOPED_TRACE(w.name);
    HostErrno = 0;
    std::string expected = std::strcmp(w.name, "HostGetString") == 0 ? "(null)"
                           : std::strcmp(w.name, "HostRequestNotification") == 0 ||
                                   std::strcmp(w.name, "HostConsoleWrite") == 0
                               ? "-1"
                               : "0";
    EXPECT_EQ(w.call(document), expected);
    EXPECT_EQ(HostErrno, ErrHostCall);
  }
  EXPECT_EQ(host.OutstandingTotal(), 0);
}

TEST_F(HostCallsTest, CopiesAndGivesBackHostMemory) {
  const struct {
    int line;
    bool shared;
  } rows[] = {{__LINE__, false}, {__LINE__, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    SimHost local;
    local.SetSharedMemory(row.shared);
    ObjectId doc = local.AddDocument(1);
    local.SetString(doc, kPropText, "shared or not");
    ASSERT_EQ(F_ApiClientInit(nullptr, local.Object(), nullptr, nullptr), 0);
    char* copy = HostGetString(doc, doc, kPropText);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "shared or not");
    ASSERT_EQ(local.BlocksHandedOut(), 1u);
    EXPECT_EQ(local.BlockFreed(0), !row.shared);
    EXPECT_EQ(local.BlocksFreedByClient(), row.shared ? 0u : 1u);
    MemFree(copy);
    EXPECT_EQ(local.BlocksFreedByClient(), row.shared ? 0u : 1u);  // the copy is not the host's
    local.ReleaseSink();
    SharedHostMemory = 0;
  }
}

TEST_F(HostCallsTest, NullStringStaysNullWithoutError) {
  ASSERT_EQ(Connect(), 0);
  HostErrno = kEarlier;
  EXPECT_EQ(HostGetString(document, document, kPropText + 1), nullptr);
  EXPECT_EQ(HostErrno, kEarlier);
  EXPECT_EQ(host.BlocksHandedOut(), 0u);
}

TEST_F(HostCallsTest, HostErrorCodesPassThrough) {
  ASSERT_EQ(Connect(), 0);
  const PropertyIdent named = {0, "Name"};
  const struct {
    int line;
    ObjectId document, object;
    const PropertyIdent* ident;
    int32_t errnoAfter;
  } rows[] = {
      {__LINE__, 999, 999, nullptr, kSimNoSuchObject},
      {__LINE__, document, document, &named, kSimNoSuchProperty},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    HostErrno = 0;
    const PropertyIdent numbered = {110, nullptr};
    EXPECT_EQ(HostGetIntByIdent(row.document, row.object, row.ident ? row.ident : &numbered), 0);
    EXPECT_EQ(HostErrno, row.errnoAfter);
  }
}

TEST_F(HostCallsTest, CapturedInOrder) {
  ASSERT_EQ(Connect(), 0);
  EXPECT_EQ(HostShowMessage("first", 2), 1);
  EXPECT_EQ(HostShowMessage(nullptr, 3), 1);
  EXPECT_EQ(HostConsoleWrite("line"), 0);
  EXPECT_EQ(ConsoleHook("hooked"), 0);
  EXPECT_EQ(HostRequestNotification(2, 1), 0);
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(host.Messages()[0].text, "first");
  EXPECT_EQ(host.Messages()[0].type, 2);
  EXPECT_EQ(host.Messages()[1].text, std::nullopt);
  EXPECT_EQ(host.Console(), (std::vector<std::string>{"line", "hooked"}));
  EXPECT_EQ(host.NotificationState(2), 1);
}

}  // namespace

namespace {

TEST_F(HostCallsTest, PolicyShape) {
  const struct {
    int line;
    bool offered, shared;
    SimFault fault;
    int32_t result, errnoAfter;
  } rows[] = {
      {__LINE__, true, true, SimFault::kNone, 0, kEarlier},
      {__LINE__, true, false, SimFault::kNone, -1, ErrHostCall},  // S_FALSE is not S_OK
      {__LINE__, true, true, SimFault::kBusy, -1, ErrHostCall},
      {__LINE__, false, true, SimFault::kNone, -1, ErrHostCall},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    SimHost local;
    local.Offer(kHostMemoryPolicyIndex, row.offered);
    ASSERT_EQ(F_ApiClientInit(nullptr, local.Object(), nullptr, nullptr), 0);
    local.SetSharedMemory(row.shared);
    local.SetFault(kHostMemoryPolicyIndex, 3, row.fault);
    HostErrno = kEarlier;
    EXPECT_EQ(HostPolicyCall<HostMemoryPolicy>(&HostMemoryPolicy::QuerySharedMemory, 1),
              row.result);
    EXPECT_EQ(HostErrno, row.errnoAfter);
    local.ReleaseSink();
    SharedHostMemory = 0;
  }
}

// The optional interface, implemented here so that each row decides what its slot answers.
struct FakeAuxiliary final : HostAuxiliary {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Slot3(ObjectId, int32_t in, int32_t* code) override {
    ++calls;
    seen = in;
    if (writes) *code = written;
    return hr;
  }
  HRESULT hr = S_OK;
  bool writes = true;
  int32_t written = 0;
  int calls = 0;
  int32_t seen = 0;
};

TEST_F(HostCallsTest, OptionalShape) {
  const struct {
    int line;
    bool offered;
    HRESULT hr;
    bool writes;
    int32_t written;
    int32_t result, errnoAfter;
  } rows[] = {
      {__LINE__, false, S_OK, true, 0, -1, ErrHostCall},  // no interface
      {__LINE__, true, S_OK, true, 0, 0, kEarlier},
      {__LINE__, true, S_OK, true, 7, 7, 7},
      {__LINE__, true, E_FAIL, true, 0, 0, kEarlier},  // the HRESULT is ignored
      {__LINE__, true, RPC_E_SERVERCALL_RETRYLATER, true, 0, 0, kEarlier},
      {__LINE__, true, E_FAIL, true, 9, 9, 9},
      {__LINE__, true, S_OK, false, 0, -1, -1},  // the code as preset
      {__LINE__, true, E_FAIL, false, 0, -1, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    FakeAuxiliary fake;
    fake.hr = row.hr;
    fake.writes = row.writes;
    fake.written = row.written;
    HostInterfaceTable[kHostAuxiliaryIndex] = row.offered ? &fake : nullptr;
    HostErrno = kEarlier;
    EXPECT_EQ(HostAuxiliaryCall3(1, 12), row.result);
    EXPECT_EQ(HostErrno, row.errnoAfter);
    EXPECT_EQ(fake.calls, row.offered ? 1 : 0);
    EXPECT_EQ(fake.seen, row.offered ? 12 : 0);
    HostInterfaceTable[kHostAuxiliaryIndex] = nullptr;
  }
}

TEST_F(HostCallsTest, SetAndPlainShapes) {
  const struct {
    int line;
    SimFault fault;
    int32_t setErrno;    // after HostSetCall on SetNotification
    int32_t plainErrno;  // after HostPlainCall on a slot without out-parameters
  } rows[] = {
      {__LINE__, SimFault::kNone, kEarlier, kEarlier},
      {__LINE__, SimFault::kBusy, ErrHostBusy, ErrHostBusy},
      {__LINE__, SimFault::kFail, ErrHostCall, ErrHostCall},
      {__LINE__, SimFault::kNoCode, ErrHostCall, kEarlier},
      {__LINE__, SimFault::kCode, 7, kEarlier},
  };
  ASSERT_EQ(Connect(), 0);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    host.ClearFaults();
    host.SetFault(kHostApiIndex, 8, row.fault, 7);
    host.SetFault(kHostApiIndex, 5, row.fault, 7);
    HostErrno = kEarlier;
    HostSetCall<HostApi>(&HostApi::SetNotification, 2, 1);
    EXPECT_EQ(HostErrno, row.setErrno);
    HostErrno = kEarlier;
    HostPlainCall<HostApi>(&HostApi::Slot5, ObjectId{0});
    EXPECT_EQ(HostErrno, row.plainErrno);
  }
  host.ClearFaults();
  host.ReleaseSink();  // the end of the connection: the interfaces are gone
  HostErrno = 0;
  HostPlainCall<HostApi>(&HostApi::Slot5, ObjectId{0});
  EXPECT_EQ(HostErrno, ErrHostCall);
}

}  // namespace
