// Every wrapper through Windows' COM marshaller: the simulated host lives in an apartment of its
// own (a thread that runs a message loop), and the client reaches it only through the proxies and
// stubs that widl compiled from the interface definition written from the slot tables, as a
// client program reaches a running host. Each wrapper runs once per outcome, as in process:
// success, a failing HRESULT, the host's nonzero code, and no code written; every block the host
// hands out must be given back once (here by the stub, once the result has crossed).
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "bridge/client_entry.h"
#include "bridge/connection.h"
#include "bridge/message_filter.h"
#include "platform/com_calls.h"
#include "platform/com_local_server.h"
#include "platform/com_runtime.h"
#include "tests/bridge/slot_walk.h"

namespace {

constexpr UINT kLetGo = WM_USER + 1;      // to the host: let the client's sink go, then end
constexpr UINT kLetGoDone = WM_USER + 2;  // to the client: the host has let it go

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

}  // namespace
