// The notification sink's callbacks and its end, which ends the connection.
#include "bridge/notification_sink.h"

#include <cstring>

#include "bridge/client_callbacks.h"
#include "bridge/client_state.h"
#include "bridge/connection.h"
#include "bridge/host_memory.h"
#include "bridge/module_resource.h"
#include "bridge/notify_fields.h"
#include "platform/win_memory.h"

HRESULT STDMETHODCALLTYPE HostNotificationsC::QueryInterface(REFIID iid, void** out) {
  return ComUltraliteC::QueryInterface(iid, out);
}

ULONG STDMETHODCALLTYPE HostNotificationsC::AddRef() {
  return ComUltraliteC::AddRef();
}

ULONG STDMETHODCALLTYPE HostNotificationsC::Release() {
  return ComUltraliteC::Release();
}

void HostNotificationsC::LookupInterface(REFIID iid, void** out) {
  if (IsEqualGUID(iid, IID_IHostCMSNotifications0)) {
    *out = static_cast<IHostCMSNotifications0*>(this);
  } else if (IsEqualGUID(iid, IID_IHostNotifications0)) {
    *out = static_cast<IHostNotifications0*>(this);
  } else if (IsEqualGUID(iid, IID_IHostNotifications1)) {
    *out = static_cast<IHostNotifications1*>(this);
  } else {
    ComUltraliteC::LookupInterface(iid, out);
    return;
  }
  AddRef();
}

namespace {

// {00000020-0000-0000-C000-000000000046}: IMultiQI, which COM's proxies answer and objects in
// the caller's own apartment do not.
constexpr IID kIIDMultiQI = {0x00000020, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Whether the host reaches us through COM's marshaller (another process or apartment): the
// marshaller frees what we hand back with CoTaskMemFree, where a host in our apartment frees it
// from the C heap.
bool HostIsMarshalled() {
  IUnknown* host = HostInterfaceTable[0];
  void* proxy = nullptr;
  if (host == nullptr || FAILED(host->QueryInterface(kIIDMultiQI, &proxy)) || proxy == nullptr) {
    return false;
  }
  static_cast<IUnknown*>(proxy)->Release();
  return true;
}

void* TaskAlloc(size_t bytes) {
  return CoTaskMemAlloc(bytes);
}

}  // namespace

HRESULT STDMETHODCALLTYPE HostNotificationsC::CMSCommand(int32_t command, void* data, int32_t count,
                                                         void* extra, CmsCommandResult* result) {
  CmsCommandResult local = {};
  ClientCmsCommand(command, data, count, extra, &local);
  CmsCommandCopyOut(local, result, HostIsMarshalled() ? TaskAlloc : HostClientAlloc);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNotificationsC::Initialize(int32_t code) {
  HeldInitializes& held = ClientHeldInitializes;
  if (held.starting != 0 && held.count < kHeldInitializeLimit) {
    held.codes[held.count++] = code;
    return S_OK;
  }
  ClientInitialize(code);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNotificationsC::Quit() {
  ClientInitialised = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNotificationsC::Command(int32_t command) {
  ClientCommand(command);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNotificationsC::Message(intptr_t value, int32_t first,
                                                      int32_t second) {
  ClientMessage(value, first, second);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNotificationsC::DialogEvent(int32_t first, int32_t second,
                                                          int32_t third) {
  ClientDialogEvent(first, second, third);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNotificationsC::Notify(int32_t number, ObjectId object,
                                                     const char* text, int32_t value) {
  if (number == kNotifyFields) {
    ClientNotifyDirect(object, text, value);
  } else {
    ClientNotify(number, object, text, value);
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNotificationsC::GetResource(int32_t type, const char* name,
                                                          HostResource* out) {
  return ServeModuleResource(ClientModule, type, name, out);
}

HRESULT STDMETHODCALLTYPE HostNotificationsC::HtmlDialogEventEx(int32_t code, void* first,
                                                                void* second) {
  ClientHtmlDialogEventEx(code, first, second);
  return S_OK;
}

HostNotificationsC::~HostNotificationsC() {
  if (ClientSink == this) ClientSink = nullptr;
  HostDisconnect();
  if (IUnknown* companion = ClientCompanion) {
    ClientCompanion = nullptr;
    companion->Release();
  }
}

void CmsCommandCopyOut(const CmsCommandResult& result, CmsCommandResult* out, HostAllocFn alloc) {
  if (out == nullptr) return;
  out->value = result.value;
  out->count = result.count;
  out->text = HostCopyString(result.text, alloc);
  out->items =
      static_cast<int32_t*>(HostCopyArray(result.items, result.count, sizeof(int32_t), alloc));
}
