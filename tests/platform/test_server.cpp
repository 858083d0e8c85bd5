// A server module for the class registry's tests: it makes counted objects of one class, which
// answer IUnknown and one interface of their own.
#include <cstdint>

#include "platform/com_creation.h"

namespace {

// {5E8A0C11-2B4D-4F6A-9C3E-7D1F0A2B3C4D}
constexpr CLSID kTestClass = {
    0x5E8A0C11, 0x2B4D, 0x4F6A, {0x9C, 0x3E, 0x7D, 0x1F, 0x0A, 0x2B, 0x3C, 0x4D}};
// {5E8A0C12-2B4D-4F6A-9C3E-7D1F0A2B3C4D}
constexpr IID kTestInterface = {
    0x5E8A0C12, 0x2B4D, 0x4F6A, {0x9C, 0x3E, 0x7D, 0x1F, 0x0A, 0x2B, 0x3C, 0x4D}};

int32_t g_live = 0;     // objects not yet destroyed
int32_t g_created = 0;  // objects made

class TestObject final : public IUnknown {
 public:
  TestObject() { ++g_live, ++g_created; }
  ~TestObject() { --g_live; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, kTestInterface)) {
      return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const int32_t left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  int32_t refs_ = 1;
};

class TestFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IClassFactory)) {
      return E_NOINTERFACE;
    }
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* object = new TestObject;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

TestFactory g_factory;

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid,
                                                                            REFIID iid,
                                                                            void** out) {
  *out = nullptr;
  if (!IsEqualGUID(clsid, kTestClass)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

extern "C" __attribute__((visibility("default"))) int32_t TestServerLive() {
  return g_live;
}

extern "C" __attribute__((visibility("default"))) int32_t TestServerCreated() {
  return g_created;
}
