// The sink's COM rules, its forwarding of every callback, and the COM base's release rules.
#include <cstring>

#include "bridge/notification_sink.h"
#include "platform/platform_calls.h"
#include "platform/win_memory.h"
#include "platform/win_module.h"
#include "strings/memory.h"
#include "tests/bridge/bridge_fixture.h"
#include "tests/support/fault_injection.h"

namespace {

constexpr IID kUnsupported = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

using SinkTest = BridgeTest;

TEST_F(SinkTest, QueryInterfaceOnEveryFace) {
  ASSERT_EQ(Connect(), 0);
  HostNotificationsC* sink = ClientSink;
  IUnknown* identity = sink->Unknown();
  IUnknown* cms = static_cast<IHostCMSNotifications0*>(sink);
  IUnknown* n0 = static_cast<IHostNotifications0*>(sink);
  IUnknown* n1 = static_cast<IHostNotifications1*>(sink);
  const struct {
    const char* name;
    const IID* iid;
    IUnknown* expected;  // null: E_NOINTERFACE
  } targets[] = {
      {"IUnknown", &IID_IUnknown, identity},
      {"IHostCMSNotifications0", &IID_IHostCMSNotifications0, cms},
      {"IHostNotifications0", &IID_IHostNotifications0, n0},
      {"IHostNotifications1", &IID_IHostNotifications1, n1},
      {"unsupported", &kUnsupported, nullptr},
      {"HostApi", &IID_HostApi, nullptr},
  };
  IUnknown* faces[] = {identity, cms, n0, n1};
  for (IUnknown* face : faces) {
    for (const auto& t : targets) {
      SCOPED_TRACE(t.name);
      int32_t before = sink->RefCount();
      void* out = reinterpret_cast<void*>(1);
      HRESULT hr = face->QueryInterface(*t.iid, &out);
      EXPECT_EQ(hr, t.expected ? S_OK : E_NOINTERFACE);
      EXPECT_EQ(out, t.expected);
      EXPECT_EQ(sink->RefCount(), before + (t.expected ? 1 : 0));
      if (t.expected) {
        EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), ULONG(before));
      }
    }
    EXPECT_EQ(face->AddRef(), 2u);
    EXPECT_EQ(sink->RefCount(), 2);
    EXPECT_EQ(face->Release(), 1u);
  }
  EXPECT_EQ(identity->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

// A COM object that says whether it may go, and notes how it went.
class Probe : public ComUltraliteC {
 public:
  int mayDelete = 1;
  int* destroyed = nullptr;  // set to 1 by the destructor
  int32_t* countInDestructor = nullptr;
  int MayDelete() override { return mayDelete; }
  ~Probe() override {
    *countInDestructor = RefCount();
    // Releases made while going (things the object held pointing back) must not end it twice.
    AddRef();
    Release();
    *destroyed = 1;
  }
};

TEST(ComUltraliteTest, ReleaseRules) {
  int destroyed = 0;
  int32_t count = 0;
  auto* probe = new (std::nothrow) Probe;
  ASSERT_NE(probe, nullptr);
  probe->destroyed = &destroyed;
  probe->countInDestructor = &count;
  EXPECT_EQ(probe->RefCount(), 1);
  EXPECT_EQ(probe->AddRef(), 2u);
  EXPECT_EQ(probe->Release(), 1u);

  probe->mayDelete = 0;  // reaching 0 leaves it alive, at 0
  EXPECT_EQ(probe->Release(), 0u);
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(probe->RefCount(), 0);

  probe->mayDelete = 1;
  probe->AddRef();
  EXPECT_EQ(probe->Release(), 0u);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(count, 100);  // parked while going
}

TEST(ComUltraliteTest, RefusedAllocationGivesNull) {
  ScopedAllocationFailure refuse(0);
  EXPECT_EQ(new (std::nothrow) Probe, nullptr);
}

TEST_F(SinkTest, EveryCallbackForwardedAndAnsweredSOk) {
  ASSERT_EQ(Connect(), 0);
  int a = 0, b = 0;
  EXPECT_EQ(host.SendInitialize(1), S_OK);
  EXPECT_EQ(host.SendCommand(42), S_OK);
  EXPECT_EQ(host.SendMessage(-5, 6, 7), S_OK);
  EXPECT_EQ(host.SendDialogEvent(8, 9, 10), S_OK);
  EXPECT_EQ(host.SendNotify(2, 77, "text", 11), S_OK);
  EXPECT_EQ(host.SendNotify(3, 78, nullptr, 12), S_OK);
  EXPECT_EQ(host.SendHtmlDialogEventEx(13, &a, &b), S_OK);
  const struct {
    int line;
    const char* name;
    int64_t a, b, c;
  } rows[] = {
      {__LINE__, "Initialize", 1, 0, 0},         {__LINE__, "Command", 42, 0, 0},
      {__LINE__, "Message", -5, 6, 7},           {__LINE__, "DialogEvent", 8, 9, 10},
      {__LINE__, "Notify", 2, 77, 11},           {__LINE__, "Notify", 3, 78, 12},
      {__LINE__, "HtmlDialogEventEx", 13, 0, 0},
  };
  ASSERT_EQ(g_recorder.calls.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].line);
    EXPECT_EQ(g_recorder.calls[i].name, rows[i].name);
    EXPECT_EQ(g_recorder.calls[i].a, rows[i].a);
    EXPECT_EQ(g_recorder.calls[i].b, rows[i].b);
    EXPECT_EQ(g_recorder.calls[i].c, rows[i].c);
  }
  EXPECT_STREQ(static_cast<const char*>(g_recorder.calls[4].p), "text");
  EXPECT_EQ(g_recorder.calls[5].p, nullptr);
  EXPECT_EQ(g_recorder.calls[6].p, &a);
  EXPECT_EQ(g_recorder.calls[6].q, &b);
}

TEST_F(SinkTest, NotifyPassesTheHostsTextItself) {
  ASSERT_EQ(Connect(), 0);
  const char text[] =
      "a\x1e"
      "b";
  host.SendNotify(74, 1, text, 0);
  ASSERT_EQ(g_recorder.calls.size(), 1u);
  EXPECT_EQ(g_recorder.calls[0].p, text);
  EXPECT_TRUE(g_recorder.calls[0].fields.empty());
}

TEST_F(SinkTest, CmsCommandCopiesTheResultOut) {
  ASSERT_EQ(Connect(), 0);
  char text[] = "result";
  int32_t items[] = {1, -2, 3};
  const struct {
    int line;
    int32_t command;
    CmsCommandResult fill;
  } rows[] = {
      {__LINE__, 1, {7, text, 3, items}},
      {__LINE__, 11, {}},                         // nothing written: a zero-filled payload
      {__LINE__, 16, {-1, nullptr, 3, nullptr}},  // a null array stays null
      {__LINE__, 999, {0, text, 0, items}},       // a count of 0 with items: an empty copy
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    g_recorder.cmsFill = row.fill;
    CmsCommandResult out;
    std::memset(&out, 0xA5, sizeof out);
    EXPECT_EQ(host.SendCmsCommand(row.command, text, 5, items, &out), S_OK);
    EXPECT_TRUE(g_recorder.cmsSawZeroed);
    EXPECT_EQ(g_recorder.calls.back().a, row.command);
    EXPECT_EQ(out.value, row.fill.value);
    EXPECT_EQ(out.count, row.fill.count);
    if (row.fill.text == nullptr) {
      EXPECT_EQ(out.text, nullptr);
    } else {
      EXPECT_NE(out.text, row.fill.text);
      EXPECT_STREQ(out.text, row.fill.text);
    }
    if (row.fill.items == nullptr) {
      EXPECT_EQ(out.items, nullptr);
    } else {
      ASSERT_NE(out.items, nullptr);
      EXPECT_NE(out.items, row.fill.items);
      EXPECT_EQ(std::memcmp(out.items, row.fill.items, row.fill.count * sizeof(int32_t)), 0);
    }
    MemFree(out.text);
    MemFree(out.items);
  }
}

TEST_F(SinkTest, GetResourceServesTheModulePath) {
  ASSERT_EQ(Connect(nullptr), 0);
  char path[260];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  ASSERT_GT(length, 0u);
  HostResource out = {};
  EXPECT_EQ(host.SendGetResource(0, nullptr, &out), S_OK);
  EXPECT_EQ(out.size, length + 1);
  ASSERT_NE(out.data, nullptr);
  EXPECT_EQ(std::memcmp(out.data, path, length + 1), 0);
  CoTaskMemFree(out.data);
}

TEST_F(SinkTest, GetResourceFailuresLeaveTheRecord) {
  ASSERT_EQ(Connect(nullptr), 0);
  const struct {
    int line;
    int32_t type;
    const char* name;
    long allowed;  // allocations allowed
    HRESULT expected;
  } rows[] = {
      {__LINE__, 10, "NoSuchResource", 1000, E_FAIL},
      {__LINE__, 0, nullptr, 0, E_OUTOFMEMORY},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    HostResource out = {123, &out};
    HRESULT hr;
    {
      ScopedAllocationFailure refuse(row.allowed);
      hr = host.SendGetResource(row.type, row.name, &out);
    }
    EXPECT_EQ(hr, row.expected);
    EXPECT_EQ(out.size, 123u);
    EXPECT_EQ(out.data, &out);
  }
}

}  // namespace

namespace {

std::vector<size_t> g_requested;
void* RefuseAndNote(size_t bytes) {
  g_requested.push_back(bytes);
  return nullptr;
}

TEST_F(SinkTest, CmsCommandSizesIn64Bits) {
  ASSERT_EQ(Connect(), 0);
  int32_t items[1] = {5};
  // A count whose size in bytes does not fit 32 bits: the copy asks for all of it (and is refused
  // here) rather than for the wrapped-around few bytes.
  g_recorder.cmsFill = {0, nullptr, 0x40000001u, items};
  CmsCommandResult out = {};
  g_requested.clear();
  PlatformCalls saved = g_platformCalls;
  g_platformCalls.Malloc = RefuseAndNote;
  HRESULT hr = host.SendCmsCommand(1, nullptr, 0, nullptr, &out);
  g_platformCalls = saved;
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(g_requested, (std::vector<size_t>{size_t{0x40000001u} * 4}));
  EXPECT_EQ(out.items, nullptr);
  EXPECT_EQ(out.count, 0x40000001u);
}

}  // namespace
