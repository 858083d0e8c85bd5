// The simulated host as a server module: registered for the host's class, it makes one host
// session per object a client creates, and hands the client that session's proxies.
//
// Configured by the environment when an object is made:
//   TANSEL_SIM_DOCUMENTS  a document file (hostsim/document_file.h) whose documents the host
//                         opens after "Initialize", sending notification 2 for each when the
//                         client asked for it;
//   TANSEL_SIM_BUSY_MS    milliseconds for which the new host answers every call busy.
// Tests reach the sessions through the SimServer... exports.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "hostsim/document_file.h"
#include "hostsim/host_text.h"
#include "hostsim/server_session.h"
#include "hostsim/sim_paths.h"
#include "platform/com_creation.h"
#include "platform/symbols.h"

namespace {

constexpr CLSID kHostClass = {
    0x539DB5D0, 0xC0C6, 0x11D0, {0x98, 0x5E, 0x00, 0x60, 0x97, 0x0B, 0xEC, 0x0B}};
constexpr int32_t kPropHostDirectory = 89;  // string property of the host itself

// Every session made, kept for the life of the process as a running host keeps its state.
std::vector<std::unique_ptr<SimSession>>& Sessions() {
  static auto* sessions = new std::vector<std::unique_ptr<SimSession>>;
  return *sessions;
}

// The host's converter, opened on first need and kept, as the host keeps it.
const SimHostText* HostText() {
  static auto* text = new SimHostText(SimDataParent(&kHostClass) + "/icu_data");
  return text;
}

// Opens the documents the environment names; false (after saying why) when they cannot be read.
bool OpenDocuments(SimSession& session) {
  const char* file = std::getenv("TANSEL_SIM_DOCUMENTS");
  if (file == nullptr || file[0] == '\0') return true;
  std::vector<SimDocument> documents;
  std::string error;
  if (!ReadDocumentFile(file, documents, error)) {
    std::fprintf(stderr, "tansel host server: %s\n", error.c_str());
    return false;
  }
  session.text->ToHost(documents);
  session.host.AddDocuments(documents);
  for (const SimDocument& d : documents) session.documents.emplace_back(d.id, d.name);
  return true;
}

class HostClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IClassFactory)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // The factory is the module's: it lives as long as the module is loaded.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto session = std::make_unique<SimSession>();
    session->text = HostText();
    if (!session->text->ok()) {
      std::fprintf(stderr,
                   "tansel host server: the host's converters are missing from %s (build the "
                   "target tansel_host_converters)\n",
                   session->text->package().c_str());
      return E_FAIL;
    }
    if (!OpenDocuments(*session)) return E_FAIL;
    // The host's own directory holds "icu_data", where the host's converters are.
    session->host.SetString(0, kPropHostDirectory, SimHostPath(SimDataParent(&kHostClass)));
    if (const char* busy = std::getenv("TANSEL_SIM_BUSY_MS")) {
      session->SetBusy(static_cast<DWORD>(std::strtoul(busy, nullptr, 10)));
    }
    const HRESULT hr = session->identity.QueryInterface(iid, out);
    Sessions().push_back(std::move(session));
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

HostClassFactory g_factory;

}  // namespace

extern "C" TANSEL_EXPORT HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualGUID(clsid, kHostClass)) return CLASS_E_CLASSNOTAVAILABLE;
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
