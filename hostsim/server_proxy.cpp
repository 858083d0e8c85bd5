// The server's proxies: the client's view of the host's faces, and the host's hold on the
// client's sink.
#include <cstdio>

#include "hostsim/server_session.h"
#include "platform/com_calls.h"
#include "platform/com_runtime.h"
#include "platform/win_message.h"

namespace {

// The proxy face for the table's index, forwarding to the host's face.
IUnknown* MakeProxy(SimSession* session, int index, void* face) {
  switch (index) {
#define HOST_INTERFACE(Name, ...) \
  case k##Name##Index:            \
    return static_cast<Name*>(new SimProxy##Name(session, static_cast<Name*>(face)));
#include "bridge/host_slots.inc"
    default:
      return nullptr;
  }
}

void DestroyProxy(int index, IUnknown* proxy) {
  switch (index) {
#define HOST_INTERFACE(Name, ...)                                   \
  case k##Name##Index:                                              \
    delete static_cast<SimProxy##Name*>(static_cast<Name*>(proxy)); \
    break;
#include "bridge/host_slots.inc"
    default:
      break;
  }
}

// The table index of iid, or -1.
int IndexOf(REFIID iid) {
  for (int i = 0; i < kHostInterfaceCount; ++i) {
    if (IsEqualGUID(iid, HostInterfaceIid(i))) return i;
  }
  return -1;
}

}  // namespace

// ---- The session ----

SimSession::SimSession() = default;

SimSession::~SimSession() {
  for (int i = 0; i < kHostInterfaceCount; ++i) DestroyProxy(i, proxies[i]);
}

HRESULT SimAcross(SimSession* session, HRESULT (*call)(void* context), void* context) {
  struct Gate {
    SimSession* session;
    HRESULT (*call)(void*);
    void* context;
  } gate = {session, call, context};
  return ComCallServer(
      [](void* g) -> HRESULT {
        auto* gate = static_cast<Gate*>(g);
        if (gate->session->Busy()) return RPC_E_SERVERCALL_RETRYLATER;
        return gate->call(gate->context);
      },
      &gate);
}

HRESULT SimProxyQuery(SimSession* session, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  void* face = nullptr;
  const HRESULT hr = session->host.Object()->QueryInterface(iid, &face);
  if (FAILED(hr)) return hr;
  const int index = IndexOf(iid);
  if (index < 0) {  // the host object's identity
    *out = static_cast<IUnknown*>(&session->identity);
    return hr;
  }
  IUnknown*& proxy = session->proxies[index];
  if (proxy == nullptr) proxy = MakeProxy(session, index, face);
  *out = proxy;
  return hr;
}

ULONG STDMETHODCALLTYPE SimProxyIdentity::AddRef() {
  return session_->host.Object()->AddRef();
}

ULONG STDMETHODCALLTYPE SimProxyIdentity::Release() {
  return session_->host.Object()->Release();
}

// ---- The registration: the sink crosses as a stub ----

HRESULT STDMETHODCALLTYPE SimProxyHostApi::RegisterClient(IUnknown* sink, int32_t version,
                                                          const ClientDescription* description) {
  SimSinkProxy* held = sink != nullptr ? SimSinkProxy::Create(sink) : nullptr;
  if (sink != nullptr && held == nullptr) return E_OUTOFMEMORY;
  IUnknown* heldSink = held != nullptr ? static_cast<IHostNotifications0*>(held) : nullptr;
  const HRESULT hr =
      SimAcross(session_, [&] { return target_->RegisterClient(heldSink, version, description); });
  if (held != nullptr) held->Release();  // the host took its own reference
  if (SUCCEEDED(hr) && sink != nullptr) SimPostClientStart(session_);
  return hr;
}

// ---- The host's hold on the client's sink ----

SimSinkProxy* SimSinkProxy::Create(IUnknown* sink) {
  DWORD cookie = 0;
  if (FAILED(ComStubCreate(sink, &cookie))) return nullptr;
  return new SimSinkProxy(cookie);
}

SimSinkProxy::~SimSinkProxy() {
  ComStubRelease(cookie_);
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualGUID(iid, IID_IHostCMSNotifications0)) {
    *out = static_cast<IHostCMSNotifications0*>(this);
  } else if (IsEqualGUID(iid, IID_IHostNotifications0) || IsEqualGUID(iid, IID_IUnknown)) {
    *out = static_cast<IHostNotifications0*>(this);
  } else if (IsEqualGUID(iid, IID_IHostNotifications1)) {
    *out = static_cast<IHostNotifications1*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE SimSinkProxy::AddRef() {
  return static_cast<ULONG>(++refs_);
}

ULONG STDMETHODCALLTYPE SimSinkProxy::Release() {
  const int32_t left = --refs_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

template <typename Face, typename Call>
HRESULT SimSinkProxy::Deliver(const IID& iid, Call call) {
  void* face = nullptr;
  HRESULT hr = ComStubQuery(cookie_, iid, &face);
  if (FAILED(hr)) return hr;
  hr = call(static_cast<Face*>(face));
  static_cast<Face*>(face)->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::CMSCommand(int32_t command, void* data, int32_t count,
                                                   void* extra, CmsCommandResult* result) {
  return Deliver<IHostCMSNotifications0>(IID_IHostCMSNotifications0, [&](auto* sink) {
    return sink->CMSCommand(command, data, count, extra, result);
  });
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::Initialize(int32_t code) {
  return Deliver<IHostNotifications0>(IID_IHostNotifications0,
                                      [&](auto* sink) { return sink->Initialize(code); });
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::Quit() {
  return Deliver<IHostNotifications0>(IID_IHostNotifications0,
                                      [&](auto* sink) { return sink->Quit(); });
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::Command(int32_t command) {
  return Deliver<IHostNotifications0>(IID_IHostNotifications0,
                                      [&](auto* sink) { return sink->Command(command); });
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::Message(intptr_t value, int32_t first, int32_t second) {
  return Deliver<IHostNotifications0>(
      IID_IHostNotifications0, [&](auto* sink) { return sink->Message(value, first, second); });
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::DialogEvent(int32_t first, int32_t second, int32_t third) {
  return Deliver<IHostNotifications0>(
      IID_IHostNotifications0, [&](auto* sink) { return sink->DialogEvent(first, second, third); });
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::Notify(int32_t number, ObjectId object, const char* text,
                                               int32_t value) {
  return Deliver<IHostNotifications0>(IID_IHostNotifications0, [&](auto* sink) {
    return sink->Notify(number, object, text, value);
  });
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::GetResource(int32_t type, const char* name,
                                                    HostResource* out) {
  return Deliver<IHostNotifications0>(
      IID_IHostNotifications0, [&](auto* sink) { return sink->GetResource(type, name, out); });
}

HRESULT STDMETHODCALLTYPE SimSinkProxy::HtmlDialogEventEx(int32_t code, void* first, void* second) {
  return Deliver<IHostNotifications1>(IID_IHostNotifications1, [&](auto* sink) {
    return sink->HtmlDialogEventEx(code, first, second);
  });
}

// ---- The client's start-up ----

namespace {

void StartClient(void* context, HRESULT admitted) {
  auto* session = static_cast<SimSession*>(context);
  if (admitted != S_OK) return;  // the client's apartment is gone or turned it away
  SimSendInitialize(*session);
  SimSendDocuments(*session);
}

}  // namespace

void SimPostClientStart(SimSession* session) {
  if (SUCCEEDED(ComPostCall(GetCurrentThreadId(), StartClient, session))) ++session->startsPosted;
}
