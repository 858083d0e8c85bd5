// The COM rules of the library's own objects.
#include "bridge/com_object.h"

#include "strings/memory.h"

namespace {
// Parked on the count while an object is being destroyed, so that releases made by its
// destructor (the host letting go of things that point back) cannot reach 0 a second time.
constexpr int32_t kDestroyingCount = 100;
}  // namespace

HRESULT STDMETHODCALLTYPE ComUltraliteC::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  LookupInterface(iid, out);
  return *out != nullptr ? S_OK : E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ComUltraliteC::AddRef() {
  return static_cast<ULONG>(++refCount_);
}

ULONG STDMETHODCALLTYPE ComUltraliteC::Release() {
  if (--refCount_ != 0) return static_cast<ULONG>(refCount_);
  refCount_ = kDestroyingCount;
  if (MayDelete() != 0) {
    delete this;
  } else {
    refCount_ -= kDestroyingCount;
  }
  return 0;
}

void ComUltraliteC::LookupInterface(REFIID iid, void** out) {
  if (IsEqualGUID(iid, IID_IUnknown)) {
    *out = Identity();
    AddRef();
  }
}

int ComUltraliteC::MayDelete() {
  return 1;
}

void* ComUltraliteC::operator new(size_t bytes, const std::nothrow_t&) noexcept {
  return MemAlloc(bytes, 0);
}

void ComUltraliteC::operator delete(void* block) noexcept {
  MemFree(block);
}
