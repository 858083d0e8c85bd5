// The simulated host as a COM server: one session per host object a client creates. The client
// never holds the simulator's faces directly: it gets proxies, whose every call crosses the
// runtime's channel (so a busy host is retried by the client's message filter), and the host
// holds the client's sink only through a stub, which the client's CoDisconnectObject cuts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "bridge/host_interfaces.h"
#include "bridge/sink_interfaces.h"
#include "hostsim/host_object.h"
#include "hostsim/host_text.h"
#include "hostsim/served_host.h"

struct SimSession;

// Runs call as a call from the client into the session, through the channel: while the session
// is busy it answers RPC_E_SERVERCALL_RETRYLATER without running call.
HRESULT SimAcross(SimSession* session, HRESULT (*call)(void* context), void* context);

template <typename Call>
HRESULT SimAcross(SimSession* session, Call call) {
  return SimAcross(
      session, [](void* context) -> HRESULT { return (*static_cast<Call*>(context))(); }, &call);
}

// What every proxy face answers QueryInterface with: the host decides, and counts the reference
// on its own face; the client gets the proxy of that face. A proxy's AddRef and Release are its
// host face's, so the host's counts stay exact.
HRESULT SimProxyQuery(SimSession* session, REFIID iid, void** out);

// The proxy face of each interface: every slot forwards its arguments to the host's face across
// the channel, produced from the slot table.
#define HOST_INTERFACE(Name, ...)                                                                 \
  class SimProxyBase##Name : public Name {                                                        \
   public:                                                                                        \
    SimProxyBase##Name(SimSession* session, Name* target) : session_(session), target_(target) {} \
    /* after the interface's slots, so the layout the client calls through is unchanged */        \
    virtual ~SimProxyBase##Name() = default;                                                      \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {                   \
      return SimProxyQuery(session_, iid, out);                                                   \
    }                                                                                             \
    ULONG STDMETHODCALLTYPE AddRef() override { return target_->AddRef(); }                       \
    ULONG STDMETHODCALLTYPE Release() override { return target_->Release(); }                     \
                                                                                                  \
   protected:                                                                                     \
    SimSession* session_;                                                                         \
    Name* target_;                                                                                \
                                                                                                  \
   public:
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params)                   \
  HRESULT STDMETHODCALLTYPE Method HOST_PARAMS(Shape, Type, Params) override {             \
    return SimAcross(session_, [&] { return target_->Method(HOST_ARGS(Shape, Params)); }); \
  }
#define HOST_INTERFACE_END(Name) \
  }                              \
  ;
#include "bridge/host_slots.inc"

// The one slot that does more than forward: the sink reaches the host as a stub's proxy, and the
// client's start-up is then posted to it.
class SimProxyHostApi final : public SimProxyBaseHostApi {
 public:
  using SimProxyBaseHostApi::SimProxyBaseHostApi;
  HRESULT STDMETHODCALLTYPE RegisterClient(IUnknown* sink, int32_t version,
                                           const ClientDescription* description) override;
};

using SimProxyHostApiExt1 = SimProxyBaseHostApiExt1;
using SimProxyHostApiExt2 = SimProxyBaseHostApiExt2;
using SimProxyHostApiExt3 = SimProxyBaseHostApiExt3;
using SimProxyHostApiExt4 = SimProxyBaseHostApiExt4;
using SimProxyHostApiExt5 = SimProxyBaseHostApiExt5;
using SimProxyHostApiExt6 = SimProxyBaseHostApiExt6;
using SimProxyHostApiExt7 = SimProxyBaseHostApiExt7;
using SimProxyHostApiExt8 = SimProxyBaseHostApiExt8;
using SimProxyHostApiExt9 = SimProxyBaseHostApiExt9;
using SimProxyHostApiExt10 = SimProxyBaseHostApiExt10;
using SimProxyHostApiExt11 = SimProxyBaseHostApiExt11;
using SimProxyHostApiExt12 = SimProxyBaseHostApiExt12;
using SimProxyHostApiExt13 = SimProxyBaseHostApiExt13;
using SimProxyHostApiExt14 = SimProxyBaseHostApiExt14;
using SimProxyHostMemoryPolicy = SimProxyBaseHostMemoryPolicy;
using SimProxyHostModuleLink = SimProxyBaseHostModuleLink;
using SimProxyHostAuxiliary = SimProxyBaseHostAuxiliary;

// The proxy of the host object's own IUnknown.
class SimProxyIdentity final : public IUnknown {
 public:
  explicit SimProxyIdentity(SimSession* session) : session_(session) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return SimProxyQuery(session_, iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

 private:
  SimSession* session_;
};

struct SimSession : SimServedHost {
  SimSession();
  ~SimSession();
  SimSession(const SimSession&) = delete;
  SimSession& operator=(const SimSession&) = delete;

  int32_t startsPosted = 0;  // start-ups posted to clients

  SimProxyIdentity identity{this};
  std::array<IUnknown*, kHostInterfaceCount> proxies{};  // by table index; made on first query
};

// ---- The host's hold on the client's sink ----

// Made when the client registers its sink: a stub holds the sink in the client's apartment, and
// the host calls it through this object, whose calls fail with CO_E_OBJNOTCONNECTED once the
// client disconnected the sink.
class SimSinkProxy final : public IHostCMSNotifications0,
                           public IHostNotifications0,
                           public IHostNotifications1 {
 public:
  // A proxy with one reference, or null when the sink cannot be held.
  static SimSinkProxy* Create(IUnknown* sink);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE CMSCommand(int32_t command, void* data, int32_t count, void* extra,
                                       CmsCommandResult* result) override;
  HRESULT STDMETHODCALLTYPE Initialize(int32_t code) override;
  HRESULT STDMETHODCALLTYPE Quit() override;
  HRESULT STDMETHODCALLTYPE Command(int32_t command) override;
  HRESULT STDMETHODCALLTYPE Message(intptr_t value, int32_t first, int32_t second) override;
  HRESULT STDMETHODCALLTYPE DialogEvent(int32_t first, int32_t second, int32_t third) override;
  HRESULT STDMETHODCALLTYPE Notify(int32_t number, ObjectId object, const char* text,
                                   int32_t value) override;
  HRESULT STDMETHODCALLTYPE GetResource(int32_t type, const char* name, HostResource* out) override;
  HRESULT STDMETHODCALLTYPE HtmlDialogEventEx(int32_t code, void* first, void* second) override;

 private:
  explicit SimSinkProxy(DWORD cookie) : cookie_(cookie) {}
  ~SimSinkProxy();
  template <typename Face, typename Call>
  HRESULT Deliver(const IID& iid, Call call);

  DWORD cookie_;      // the stub's
  int32_t refs_ = 1;  // the creator's
};

// Posts the client's start-up to the calling thread: "Initialize", then, when the client asked
// for notification 2, notification 2 for every document of the session.
void SimPostClientStart(SimSession* session);
