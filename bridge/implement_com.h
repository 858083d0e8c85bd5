// ImplementComC<Interface, Base>: a COM object of the library (Base, a ComUltraliteC) that adds
// one interface face. The face's IUnknown methods act on the whole object; the interface's
// identifier comes from ComInterfaceId<Interface>, which each interface's header specialises.
#pragma once

#include "bridge/com_object.h"

// Specialised as {static constexpr const IID& iid = ...;} for each interface a face implements.
template <typename Interface>
struct ComInterfaceId;

template <typename Interface, typename Base>
// A face of a COM object: Interface implemented on Base, whose count and identity it shares.
class ImplementComC : public Base, public Interface {
 public:
  // IUnknown's methods, answered by the base.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Base::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Base::AddRef(); }    // the base's count
  ULONG STDMETHODCALLTYPE Release() override { return Base::Release(); }  // the base's count

  // The interface's identifier gives the face; anything else is the base's to answer.
  void LookupInterface(REFIID iid, void** out) override {
    if (IsEqualGUID(iid, ComInterfaceId<Interface>::iid)) {
      *out = static_cast<Interface*>(this);
      Base::AddRef();
      return;
    }
    Base::LookupInterface(iid, out);
  }

  // The object's interface face.
  Interface* Face() { return static_cast<Interface*>(this); }
};
