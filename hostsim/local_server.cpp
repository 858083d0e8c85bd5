// tansel-host-server: the simulated host as a program of its own, the local server of the host's
// class {539DB5D0-C0C6-11D0-985E-0060970BEC0B} for Windows' COM. Clients reach its host objects
// through the proxies of tansel_host_ps.dll, as they would a running host; COM starts it for
// the first client (LocalServer32, with "-Embedding") or finds it already running.
//
// Configured by the environment (hostsim/served_host.h: TANSEL_SIM_DOCUMENTS, TANSEL_SIM_BUSY_MS),
// and:
//   TANSEL_SIM_OUTPUT       a file that receives what the host prints (COM may start the server
//                           without the client's standard output);
//   TANSEL_SIM_EXIT_ON_REQUEST  1: the process ends abruptly inside the client's first request for
//                           a notification, as a host that dies in the middle of a session.
//   TANSEL_SIM_EXIT_BEFORE_START  1: the process ends abruptly once a registered client has made
//                           no call for a second, without sending "Initialize", as a host that
//                           dies while its client waits for the next callback.
// A busy host answers every incoming call SERVERCALL_RETRYLATER from its message filter, which
// the client's own filter then retries. "Initialize" goes to a client inside its registration,
// while its start-up is still making calls (a busy host sends it once it is free again). The
// server ends once every client has let go of its host objects, or when none has come for a
// minute.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "hostsim/host_class_factory.h"
#include "hostsim/served_host.h"
#include "platform/com_calls.h"
#include "platform/com_local_server.h"
#include "platform/com_runtime.h"
#include "platform/win_time.h"

namespace {

constexpr UINT kTickMs = 50;
constexpr DWORD kIdleLimitMs = 60000;  // with no client at all

struct Served : SimServedHost {
  bool started = false;        // "Initialize" sent
  bool documentsSent = false;  // notification 2 sent for the documents
};

std::vector<std::unique_ptr<Served>> g_hosts;
FILE* g_out = stdout;             // where the host prints
DWORD g_classCookie = 0;          // the class registration, revoked before the process ends
int g_turnedAway = 0;             // incoming calls answered SERVERCALL_RETRYLATER
DWORD g_lastCall = 0;             // GetTickCount when the last incoming call came
constexpr DWORD kQuietMs = 1000;  // a client this long without a call has ended its start-up

bool AnyBusy() {
  bool busy = false;
  for (auto& served : g_hosts) busy = served->Busy() || busy;
  return busy;
}

// The server's message filter: a busy host turns every incoming call away for later.
class ServerFilter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IMessageFilter)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IMessageFilter*>(this);
    return S_OK;
  }
  // The filter is the program's: it lives as long as the program.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, INTERFACEINFO*) override {
    g_lastCall = GetTickCount();
    if (AnyBusy()) {
      ++g_turnedAway;
      return SERVERCALL_RETRYLATER;
    }
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return kRetryCancel; }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }
};

// Inside a client's notification request: the documents open now, while the client is still
// starting (a client program's message loop ends once the plug-in has started).
void OnRequest(void* context, int32_t, int32_t) {
  if (const char* exit = std::getenv("TANSEL_SIM_EXIT_ON_REQUEST"); exit && exit[0] == '1') {
    std::fprintf(g_out, "Host: ending abruptly\n");
    std::fflush(g_out);
    // Later clients must not find the class of a process that is gone.
    CoRevokeClassObject(g_classCookie);
    ExitProcess(3);
  }
  auto* served = static_cast<Served*>(context);
  if (served->documentsSent || !served->started) return;
  served->documentsSent = true;
  SimSendDocuments(*served);
}

bool ExitsBeforeStart() {
  const char* exit = std::getenv("TANSEL_SIM_EXIT_BEFORE_START");
  return exit != nullptr && exit[0] == '1';
}

// Sends "Initialize" to a registered client once, unless the host is busy.
void Start(Served& served) {
  if (served.started || !served.host.HasSink() || served.Busy() || ExitsBeforeStart()) return;
  served.started = true;
  SimSendInitialize(served);
}

// Inside the client's registration: the client is still starting.
void OnRegistration(void* context) {
  Start(*static_cast<Served*>(context));
}

class HostClassFactory final : public SimStaticClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto served = std::make_unique<Served>();
    served->out = g_out;
    if (!SimServeFromEnvironment(*served, &kSimHostClass)) return E_FAIL;
    served->host.OnNotificationRequest(OnRequest, served.get());
    served->host.OnRegistration(OnRegistration, served.get());
    const HRESULT hr = served->host.Object()->QueryInterface(iid, out);
    if (SUCCEEDED(hr)) {
      std::fprintf(g_out, "Host: a client connected\n");
      std::fflush(g_out);
      g_hosts.push_back(std::move(served));
    }
    return hr;
  }
};

// One turn of the timer: starts the clients registered while the host was busy; true when the
// server is done.
bool Tick(DWORD began) {
  const DWORD now = GetTickCount();
  bool held = false;
  for (auto& served : g_hosts) {
    if (ExitsBeforeStart() && served->host.HasSink() && now - g_lastCall >= kQuietMs) {
      // Outside every call, and after the client's start-up: it waits in its message loop.
      std::fprintf(g_out, "Host: ending abruptly while the client waits\n");
      std::fflush(g_out);
      CoRevokeClassObject(g_classCookie);
      ExitProcess(3);
    }
    Start(*served);
    if (served->host.OutstandingTotal() > 0) held = true;
  }
  if (g_hosts.empty()) return now - began >= kIdleLimitMs;
  return !held;
}

}  // namespace

int main() {
  if (const char* output = std::getenv("TANSEL_SIM_OUTPUT"); output && output[0] != '\0') {
    // Opened as a file of its own: a server that COM starts may have no standard output to
    // reopen.
    g_out = std::fopen(output, "a");
    if (g_out == nullptr) {
      std::fprintf(stderr, "tansel-host-server: cannot write %s\n", output);
      return 2;
    }
  }
  if (FAILED(CoInitialize(nullptr))) {
    std::fprintf(stderr, "tansel-host-server: COM could not be initialised\n");
    return 2;
  }
  static ServerFilter filter;
  CoRegisterMessageFilter(&filter, nullptr);
  static HostClassFactory factory;
  const HRESULT hr = CoRegisterClassObject(kSimHostClass, &factory, CLSCTX_LOCAL_SERVER,
                                           REGCLS_MULTIPLEUSE, &g_classCookie);
  if (FAILED(hr)) {
    std::fprintf(stderr, "tansel-host-server: the host's class could not be registered (0x%08X)\n",
                 static_cast<unsigned>(hr));
    CoUninitialize();
    return 2;
  }
  std::fprintf(g_out, "Host: serving the host's class\n");
  std::fflush(g_out);
  const DWORD began = GetTickCount();
  const UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
      if (Tick(began)) PostQuitMessage(0);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  KillTimer(nullptr, timer);
  CoRevokeClassObject(g_classCookie);
  if (g_turnedAway > 0)
    std::fprintf(g_out, "Host: %d calls turned away while busy\n", g_turnedAway);
  std::fprintf(g_out, "Host: every client let go; the server ends\n");
  std::fflush(g_out);
  // The hosts let their clients' sinks go before COM ends.
  g_hosts.clear();
  CoRegisterMessageFilter(nullptr, nullptr);
  CoUninitialize();
  return 0;
}
