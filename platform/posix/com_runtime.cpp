// The COM run-time in process: no apartments, no proxies.
#include "platform/com_runtime.h"

HRESULT WINAPI CoDisconnectObject(IUnknown* object, DWORD reserved) {
  if (object == nullptr || reserved != 0) return E_INVALIDARG;
  // COM asks the object for its identity first; doing the same here makes a stale pointer fail
  // loudly under the sanitizers instead of passing unnoticed.
  void* identity = nullptr;
  if (FAILED(object->QueryInterface(IID_IUnknown, &identity)) || identity == nullptr) {
    return E_INVALIDARG;
  }
  static_cast<IUnknown*>(identity)->Release();
  return S_OK;
}
