// Every wrapper through Windows' COM marshaller: the simulated host lives in an apartment of its
// own (a thread that runs a message loop), and the client reaches it only through the proxies and
// stubs that widl compiled from the interface definition written from the slot tables, as a
// client program reaches a running host. Each wrapper runs once per outcome, as in process:
// success, a failing HRESULT, the host's nonzero code, and no code written; every block the host
// hands out must be given back once (here by the stub, once the result has crossed). The host's
// calls back into the client cross the other way, and a client program's connection is made and
// ended against the simulator's local server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "bridge/client_entry.h"
#include "bridge/client_state.h"
#include "bridge/connection.h"
#include "bridge/message_filter.h"
#include "bridge/notification_sink.h"
#include "bridge/sink_interfaces.h"
#include "platform/com_calls.h"
#include "platform/com_local_server.h"
#include "platform/com_runtime.h"
#include "platform/task_memory_watch.h"
#include "platform/win_memory.h"
#include "tests/bridge/client_recorder.h"
#include "tests/bridge/slot_walk.h"

namespace {

constexpr UINT kLetGo = WM_USER + 1;      // to the host: let the client's sink go, then end
constexpr UINT kLetGoDone = WM_USER + 2;  // to the client: the host has let it go
constexpr UINT kRun = WM_USER + 3;        // to the host: run the function at lParam
constexpr UINT kRunDone = WM_USER + 4;    // to the client: it has run

// The host's apartment: made on its own thread, which serves calls until it is told to quit.
class HostApartment {
 public:
  HostApartment() {
    std::promise<IStream*> packed;
    std::future<IStream*> ready = packed.get_future();
    const DWORD client = GetCurrentThreadId();
    thread_ = std::thread([this, &packed, client] {
      CoInitialize(nullptr);
      threadId_ = GetCurrentThreadId();
      {
        SimHost host;
        host_ = &host;
        slot_walk::PrepareHost(host);
        IStream* stream = nullptr;
        CoMarshalInterThreadInterfaceInStream(IID_IUnknown, host.Object(), &stream);
        packed.set_value(stream);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
          if (msg.message == kLetGo && msg.hwnd == nullptr) {
            host.ReleaseSink();
            PostThreadMessageA(client, kLetGoDone, 0, 0);
            break;
          }
          if (msg.message == kRun && msg.hwnd == nullptr) {
            (*reinterpret_cast<const std::function<void()>*>(msg.lParam))();
            PostThreadMessageA(client, kRunDone, 0, 0);
            continue;
          }
          TranslateMessage(&msg);
          DispatchMessageA(&msg);
        }
        host_ = nullptr;
      }
      CoUninitialize();
    });
    stream_ = ready.get();
  }
  // Releasing the sink is a call into the client's apartment, which keeps serving until the host
  // has done so.
  ~HostApartment() {
    PostThreadMessageA(threadId_, kLetGo, 0, 0);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == kLetGoDone && msg.hwnd == nullptr) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    thread_.join();
  }
  // The host object as this apartment sees it: a proxy (once).
  IUnknown* Unpack() {
    void* object = nullptr;
    if (stream_ == nullptr ||
        FAILED(CoGetInterfaceAndReleaseStream(stream_, IID_IUnknown, &object))) {
      object = nullptr;
    }
    stream_ = nullptr;
    return static_cast<IUnknown*>(object);
  }
  SimHost& host() { return *host_; }
  // Runs work in the host's apartment; this one serves the calls it makes back meanwhile.
  void Run(const std::function<void()>& work) {
    PostThreadMessageA(threadId_, kRun, 0, reinterpret_cast<LPARAM>(&work));
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == kRunDone && msg.hwnd == nullptr) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

 private:
  std::thread thread_;
  DWORD threadId_ = 0;
  SimHost* host_ = nullptr;
  IStream* stream_ = nullptr;
};

TEST(MarshalledWalkTest, EveryWrapperCrossesWindowsMarshaller) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  InstallMessageFilter();
  {
    HostApartment apartment;
    IUnknown* host = apartment.Unpack();
    ASSERT_NE(host, nullptr) << "the host object did not cross (is tansel_host_ps.dll registered?)";
    ASSERT_EQ(F_ApiClientInit(nullptr, host, nullptr, nullptr), 0);
    host->Release();
    EXPECT_EQ(apartment.host().Registrations(), 1);
    // A busy host is the message filters' to settle out of process; the other outcomes cross as
    // they are.
    slot_walk::WalkEverySlot(
        apartment.host(), {slot_walk::kOk, slot_walk::kFail, slot_walk::kCode, slot_walk::kNoCode},
        false);
    // Every call ran in the host's apartment: none reached its faces without crossing.
    EXPECT_TRUE(apartment.host().ForeignThreadCalls().empty());
    HostDisconnect();
    EXPECT_EQ(apartment.host().OutstandingTotal(), 0);
  }
  CoRegisterMessageFilter(nullptr, nullptr);
  CoUninitialize();
}

// ---- The host's calls back into the client, every slot of the sink table ----

// What a sink slot's call gives: its result, what the client's callbacks saw, and what came back
// in the out-records.
struct SinkOutcome {
  HRESULT result = E_FAIL;
  std::vector<RecordedCall> calls;
  std::vector<std::string> texts;  // the texts the callbacks were handed, in order
  int32_t initialised = 0;         // ClientInitialised afterwards
  std::string resource;            // the bytes "GetResource" handed back
  int64_t cmsValue = 0;
  std::string cmsText = "(null)";
  std::vector<int32_t> cmsItems;
};

// The storage of a call's out-records; the walk frees what they were given.
struct SinkRecords {
  HostResource resource = {};
  CmsCommandResult cms = {};
};

// Arguments made from the parameter types alone: variant 0 the smallest (zeros, no text), variant
// 1 values that need every bit of their type, and a text with bytes above 0x7F.
template <class T>
T SinkArgument(int variant, size_t position, SinkRecords& records) {
  const auto k = static_cast<int32_t>(position);
  if constexpr (std::is_same_v<T, int32_t>) {
    return variant == 0 ? 0 : -2000000000 + k;
  } else if constexpr (std::is_same_v<T, uint32_t>) {
    return variant == 0 ? 0u : 0xFFFFFF00u + static_cast<uint32_t>(k);
  } else if constexpr (std::is_same_v<T, intptr_t>) {
    return variant == 0 ? 0 : static_cast<intptr_t>(0x7123456789ABCD00LL) + k;
  } else if constexpr (std::is_same_v<T, void*>) {
    return variant == 0 ? nullptr
                        : reinterpret_cast<void*>(static_cast<intptr_t>(0x00007FFE12345600LL) + k);
  } else if constexpr (std::is_same_v<T, const char*>) {
    return variant == 0 ? nullptr
                        : "Qu\xE4rterly report\x1E"
                          "2";
  } else if constexpr (std::is_same_v<T, HostResource*>) {
    return &records.resource;
  } else if constexpr (std::is_same_v<T, CmsCommandResult*>) {
    return &records.cms;
  } else {
    static_assert(!sizeof(T), "a sink parameter type the walk cannot make");
  }
}

template <class Interface, class... Params>
HRESULT CallSinkSlot(IUnknown* sink, HRESULT (STDMETHODCALLTYPE Interface::*method)(Params...),
                     const IID& iid, int variant, SinkRecords& records) {
  void* face = nullptr;
  if (FAILED(sink->QueryInterface(iid, &face)) || face == nullptr) return E_NOINTERFACE;
  auto* typed = static_cast<Interface*>(face);
  const HRESULT result = [&]<size_t... N>(std::index_sequence<N...>) {
    return (typed->*method)(SinkArgument<Params>(variant, N, records)...);
  }
  (std::index_sequence_for<Params...>{});
  typed->Release();
  return result;
}

struct SinkSlotCase {
  const char* method;
  HRESULT (*call)(IUnknown* sink, int variant, SinkRecords& records);
};

// One case per slot of the sink table.
const std::vector<SinkSlotCase>& SinkSlotCases() {
  static const std::vector<SinkSlotCase> cases = {
#define SINK_SLOT(Interface, slot, Method, Params)                                     \
  {#Method, [](IUnknown* sink, int variant, SinkRecords& records) {                    \
     return CallSinkSlot(sink, &Interface::Method, IID_##Interface, variant, records); \
   }},
#include "bridge/sink_slots.inc"
  };
  return cases;
}

// Takes what the out-records hold and frees it as their allocator's owner does: the host frees a
// resource with CoTaskMemFree, and a "CMSCommand" result too, since the client's host here is a
// proxy: the client makes it with the task allocator, as the marshaller does where it crossed.
void TakeRecords(SinkRecords& records, SinkOutcome& outcome) {
  if (records.resource.data != nullptr) {
    outcome.resource.assign(static_cast<const char*>(records.resource.data), records.resource.size);
    CoTaskMemFree(records.resource.data);
  }
  outcome.cmsValue = records.cms.value;
  if (records.cms.text != nullptr) outcome.cmsText = records.cms.text;
  if (records.cms.items != nullptr) {
    outcome.cmsItems.assign(records.cms.items, records.cms.items + records.cms.count);
  }
  CoTaskMemFree(records.cms.text);
  CoTaskMemFree(records.cms.items);
  records = {};
}

// The task allocator's blocks made while watched, and the frees of blocks it did not make then.
// Both apartments' threads, and COM's own, may call the allocator.
std::mutex g_madeLock;
std::set<void*> g_madeBlocks;
int g_foreignFrees = 0;
void NoteMade(void* block) {
  std::lock_guard<std::mutex> hold(g_madeLock);
  g_madeBlocks.insert(block);
}
bool NoteFreeing(void* block) {
  std::lock_guard<std::mutex> hold(g_madeLock);
  if (g_madeBlocks.erase(block) != 0) return true;
  ++g_foreignFrees;
  return false;
}

void TakeCalls(SinkOutcome& outcome) {
  outcome.calls = g_recorder.calls;
  for (RecordedCall& call : outcome.calls) {
    // Pointers that are texts are compared by their text; the others cross as values.
    if (call.name == "Notify") {
      outcome.texts.push_back(call.text.value_or("(null)"));
      call.p = nullptr;
    }
  }
  g_recorder.calls.clear();
  outcome.initialised = ClientInitialised;
}

TEST(MarshalledWalkTest, EverySinkSlotCrossesAsItRunsInProcess) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  InstallMessageFilter();
  int32_t items[] = {7, -1, 2147483647};
  g_recorder.cmsFill = {-5000000000LL, const_cast<char*>("cms \xE4 text"), 3, items};
  {
    HostApartment apartment;
    IUnknown* host = apartment.Unpack();
    ASSERT_NE(host, nullptr) << "the host object did not cross (is tansel_host_ps.dll registered?)";
    ASSERT_EQ(F_ApiClientInit(nullptr, host, nullptr, nullptr), 0);
    host->Release();
    ASSERT_NE(ClientSink, nullptr);
    // The sink as the host's apartment sees it: a proxy.
    IUnknown* own = static_cast<IHostNotifications0*>(ClientSink);
    IStream* packed = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IUnknown, own, &packed), S_OK);
    IUnknown* proxy = nullptr;
    apartment.Run([&] {
      void* object = nullptr;
      if (SUCCEEDED(CoGetInterfaceAndReleaseStream(packed, IID_IUnknown, &object))) {
        proxy = static_cast<IUnknown*>(object);
      }
    });
    ASSERT_NE(proxy, nullptr);
    // Whatever fails below, the proxy goes back in the host's apartment and the client lets go
    // before the apartment ends (a proxy left to its end would call a client no longer serving).
    struct LetGo {
      HostApartment& apartment;
      IUnknown* proxy;
      ~LetGo() {
        apartment.Run([this] { proxy->Release(); });
        HostDisconnect();
      }
    } letGo{apartment, proxy};
    EXPECT_NE(proxy, own);
    EXPECT_EQ(SinkSlotCases().size(), 9u);  // the table's slots: 1 + 7 + 1
    g_recorder.calls.clear();
    for (const SinkSlotCase& slot : SinkSlotCases()) {
      for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(std::string(slot.method) + " variant " + std::to_string(variant));
        SinkRecords records;
        SinkOutcome direct, crossed;
        ClientInitialised = 1;
        direct.result = slot.call(own, variant, records);
        TakeCalls(direct);
        TakeRecords(records, direct);
        ClientInitialised = 1;
        apartment.Run([&] {
          crossed.result = slot.call(proxy, variant, records);
          TakeRecords(records, crossed);
        });
        TakeCalls(crossed);
        EXPECT_EQ(crossed.result, direct.result);
        EXPECT_EQ(crossed.initialised, direct.initialised);
        EXPECT_EQ(crossed.calls.size(), direct.calls.size());
        for (size_t i = 0; i < direct.calls.size() && i < crossed.calls.size(); ++i) {
          EXPECT_EQ(crossed.calls[i].name, direct.calls[i].name);
          EXPECT_EQ(crossed.calls[i].a, direct.calls[i].a);
          EXPECT_EQ(crossed.calls[i].b, direct.calls[i].b);
          EXPECT_EQ(crossed.calls[i].c, direct.calls[i].c);
          EXPECT_EQ(crossed.calls[i].p, direct.calls[i].p);
          EXPECT_EQ(crossed.calls[i].q, direct.calls[i].q);
        }
        EXPECT_EQ(crossed.texts, direct.texts);
        EXPECT_EQ(crossed.resource, direct.resource);
        EXPECT_EQ(crossed.cmsValue, direct.cmsValue);
        EXPECT_EQ(crossed.cmsText, direct.cmsText);
        EXPECT_EQ(crossed.cmsItems, direct.cmsItems);
      }
    }
    // The callbacks the walk must have reached, with values written out here: the wide variant's
    // notification text and CMS result arrive whole on the host's side.
    // The client's stub frees the result it sent with CoTaskMemFree: every block it frees must be
    // one the task allocator made (not left alone here, as a C-heap block would corrupt the heap).
    g_madeBlocks.clear();
    g_foreignFrees = 0;
    const TaskMemoryWatcher before = WatchTaskMemory({NoteMade, NoteFreeing});
    apartment.Run([&] {
      SinkRecords records;
      SinkOutcome outcome;
      for (const SinkSlotCase& slot : SinkSlotCases()) {
        if (std::strcmp(slot.method, "CMSCommand") == 0) slot.call(proxy, 1, records);
      }
      TakeRecords(records, outcome);
      EXPECT_EQ(outcome.cmsValue, -5000000000LL);
      EXPECT_EQ(outcome.cmsText, "cms \xE4 text");
      EXPECT_EQ(outcome.cmsItems, (std::vector<int32_t>{7, -1, 2147483647}));
    });
    WatchTaskMemory(before);
    EXPECT_EQ(g_foreignFrees, 0)
        << "blocks given to CoTaskMemFree that the task allocator never made";
    g_recorder.calls.clear();
    apartment.Run([&] {
      SinkRecords records;
      for (const SinkSlotCase& slot : SinkSlotCases()) {
        if (std::strcmp(slot.method, "Notify") == 0) slot.call(proxy, 1, records);
      }
    });
    EXPECT_EQ(g_recorder.calls.size(), 1u);
    if (!g_recorder.calls.empty()) {
      EXPECT_EQ(g_recorder.calls[0].a, -2000000000);
      EXPECT_EQ(g_recorder.calls[0].b, 0xFFFFFF01u);
      EXPECT_EQ(g_recorder.calls[0].c, -2000000000 + 3);
      EXPECT_EQ(g_recorder.calls[0].text, std::string("Qu\xE4rterly report\x1E") + "2");
    }
    g_recorder.calls.clear();
    g_recorder.cmsFill = {};
  }
  CoRegisterMessageFilter(nullptr, nullptr);
  CoUninitialize();
}

// ---- A client program's connection, made and ended against the simulator's local server ----

// Waits (about 30 s at most) until the server's output file holds text; seen gets what it held.
bool ServerPrinted(const std::string& path, const std::string& text, std::string& seen) {
  for (int attempt = 0; attempt < 150; ++attempt) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    seen = content.str();
    if (seen.find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return false;
}

TEST(ConnectionUnderComTest, ConnectInstallsTheFilterAndDisconnectUndoesEverything) {
  // The file the server COM starts prints to (the test's environment names it).
  const char* output = std::getenv("TANSEL_SIM_OUTPUT");
  ASSERT_NE(output, nullptr) << "run this case through CTest, which names the server's output";
  const std::string path = output;
  std::remove(path.c_str());  // what an earlier run left
  std::string seen;
  // A thread of its own: COM starts uninitialised there, as in a client program's main.
  std::thread([&] {
    ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(HostIsConnected(), 1);
    EXPECT_EQ(ClientComInitialised, 1);
    ASSERT_NE(InstalledMessageFilter, nullptr);
    // The apartment's filter is the library's: registering none hands it back (with a
    // reference), and it is put back at once.
    IMessageFilter* registered = nullptr;
    EXPECT_EQ(CoRegisterMessageFilter(nullptr, &registered), S_OK);
    EXPECT_EQ(registered, InstalledMessageFilter);
    if (registered != nullptr) {
      // The retry protocol as the apartment would ask it: at once up to 200 ms, then a quarter of
      // the time spent, cancelled at twenty minutes or when the callee refused outright.
      EXPECT_EQ(registered->RetryRejectedCall(nullptr, 200, SERVERCALL_RETRYLATER), 0u);
      EXPECT_EQ(registered->RetryRejectedCall(nullptr, 201, SERVERCALL_RETRYLATER), 50u);
      EXPECT_EQ(registered->RetryRejectedCall(nullptr, 1199999, SERVERCALL_RETRYLATER), 299999u);
      EXPECT_EQ(registered->RetryRejectedCall(nullptr, 1200000, SERVERCALL_RETRYLATER),
                0xFFFFFFFFu);
      EXPECT_EQ(registered->RetryRejectedCall(nullptr, 0, SERVERCALL_REJECTED), 0xFFFFFFFFu);
    }
    CoRegisterMessageFilter(registered, nullptr);
    if (registered != nullptr) registered->Release();
    EXPECT_TRUE(ServerPrinted(path, "Host: a client connected", seen)) << seen;

    HostDisconnect();
    EXPECT_EQ(HostIsConnected(), 0);
    EXPECT_EQ(InstalledMessageFilter, nullptr);
    EXPECT_EQ(ClientComInitialised, 0);
    EXPECT_EQ(ClientStopped, 1);
    for (IUnknown* entry : HostInterfaceTable) EXPECT_EQ(entry, nullptr);
    // COM was uninitialised: initialising it again is the first time, with no filter left.
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    IMessageFilter* left = nullptr;
    EXPECT_EQ(CoRegisterMessageFilter(nullptr, &left), S_OK);
    EXPECT_EQ(left, nullptr);
    if (left != nullptr) left->Release();
    CoUninitialize();
  }).join();
  // The server saw every object it handed out let go, and ended.
  EXPECT_TRUE(ServerPrinted(path, "every client let go; the server ends", seen)) << seen;
}

}  // namespace
