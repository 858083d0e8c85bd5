// The simulated host as a server module: registered for the host's class, it makes one host
// session per object a client creates, and hands the client that session's proxies.
//
// Configured by the environment when an object is made (hostsim/served_host.h). Tests reach the
// sessions through the SimServer... exports.
#include <memory>
#include <vector>

#include "hostsim/host_class_factory.h"
#include "hostsim/server_session.h"
#include "platform/com_creation.h"
#include "platform/symbols.h"

namespace {

// Every session made, kept for the life of the process as a running host keeps its state.
std::vector<std::unique_ptr<SimSession>>& Sessions() {
  static auto* sessions = new std::vector<std::unique_ptr<SimSession>>;
  return *sessions;
}

class HostClassFactory final : public SimStaticClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto session = std::make_unique<SimSession>();
    if (!SimServeFromEnvironment(*session, &kSimHostClass)) return E_FAIL;
    const HRESULT hr = session->identity.QueryInterface(iid, out);
    Sessions().push_back(std::move(session));
    return hr;
  }
};

HostClassFactory g_factory;

}  // namespace

extern "C" TANSEL_EXPORT HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualGUID(clsid, kSimHostClass)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

// ---- For tests ----

// Host objects made so far.
extern "C" TANSEL_EXPORT int SimServerSessionCount() {
  return static_cast<int>(Sessions().size());
}

// The simulated host behind the index-th object made (from 0), or null.
extern "C" TANSEL_EXPORT SimHost* SimServerHost(int index) {
  if (index < 0 || index >= SimServerSessionCount()) return nullptr;
  return &Sessions()[static_cast<size_t>(index)]->host;
}

// Makes the index-th host busy for milliseconds from now (0: no longer busy).
extern "C" TANSEL_EXPORT void SimServerSetBusy(int index, DWORD milliseconds) {
  if (index >= 0 && index < SimServerSessionCount()) {
    Sessions()[static_cast<size_t>(index)]->SetBusy(milliseconds);
  }
}
