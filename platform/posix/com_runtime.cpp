// Connections between apartments: the stubs through which servers hold a client's objects, and
// CoDisconnectObject, which cuts them.
//
// Stubs belong to the apartment's one thread, like the objects they hold: no lock.
#include "platform/com_runtime.h"

#include <vector>

namespace {

struct Stub {
  DWORD cookie;        // what the holder names it by
  IUnknown* object;    // one reference, while connected
  IUnknown* identity;  // the object's IUnknown, for CoDisconnectObject to match (not held)
  bool connected;      // false once the owner cut it
};

std::vector<Stub>& Stubs() {
  static auto* stubs = new std::vector<Stub>;  // the process's, as long as it runs
  return *stubs;
}

DWORD g_nextCookie = 1;

Stub* FindStub(DWORD cookie) {
  for (Stub& stub : Stubs()) {
    if (stub.cookie == cookie) return &stub;
  }
  return nullptr;
}

// The object's identity, without keeping a reference; null when it has none.
IUnknown* IdentityOf(IUnknown* object) {
  void* identity = nullptr;
  if (FAILED(object->QueryInterface(IID_IUnknown, &identity)) || identity == nullptr) {
    return nullptr;
  }
  static_cast<IUnknown*>(identity)->Release();
  return static_cast<IUnknown*>(identity);
}

}  // namespace

HRESULT WINAPI CoDisconnectObject(IUnknown* object, DWORD reserved) {
  if (object == nullptr || reserved != 0) return E_INVALIDARG;
  // COM asks the object for its identity first; doing the same here makes a stale pointer fail
  // loudly under the sanitizers instead of passing unnoticed.
  IUnknown* identity = IdentityOf(object);
  if (identity == nullptr) return E_INVALIDARG;
  // Releasing may end the object, whose end may reach the stubs again: collect first.
  std::vector<IUnknown*> held;
  for (Stub& stub : Stubs()) {
    if (stub.connected && stub.identity == identity) {
      stub.connected = false;
      held.push_back(stub.object);
      stub.object = nullptr;
    }
  }
  for (IUnknown* reference : held) reference->Release();
  return S_OK;
}

HRESULT ComStubCreate(IUnknown* object, DWORD* cookie) {
  if (object == nullptr || cookie == nullptr) return E_INVALIDARG;
  IUnknown* identity = IdentityOf(object);
  if (identity == nullptr) return E_INVALIDARG;
  object->AddRef();
  *cookie = g_nextCookie++;
  Stubs().push_back({*cookie, object, identity, true});
  return S_OK;
}

HRESULT ComStubQuery(DWORD cookie, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  Stub* stub = FindStub(cookie);
  if (stub == nullptr || !stub->connected) return CO_E_OBJNOTCONNECTED;
  return stub->object->QueryInterface(iid, out);
}

void ComStubRelease(DWORD cookie) {
  std::vector<Stub>& stubs = Stubs();
  for (auto it = stubs.begin(); it != stubs.end(); ++it) {
    if (it->cookie != cookie) continue;
    IUnknown* object = it->connected ? it->object : nullptr;
    stubs.erase(it);
    if (object != nullptr) object->Release();
    return;
  }
}

ULONG ComStubCount() {
  return static_cast<ULONG>(Stubs().size());
}
