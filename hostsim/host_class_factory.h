// The host's class, and what every server of the simulated host shares in its factory for it:
// one factory per server, living as long as the server's module or program; making the host
// objects is each server's own.
#pragma once

#include "platform/com_creation.h"

// The host's default class, {539DB5D0-C0C6-11D0-985E-0060970BEC0B}.
inline constexpr CLSID kSimHostClass = {
    0x539DB5D0, 0xC0C6, 0x11D0, {0x98, 0x5E, 0x00, 0x60, 0x97, 0x0B, 0xEC, 0x0B}};

// A class factory's IUnknown and LockServer for a factory that is never destroyed: references
// are not counted, and nothing keeps the server for it.
class SimStaticClassFactory : public IClassFactory {
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
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};
