// HostNotificationsC: the notification sink, the one object through which the host calls the
// client back. Each callback is forwarded to its client callback (bridge/client_callbacks.h) and
// answered with S_OK, whatever the callback did.
#pragma once

#include "bridge/com_object.h"
#include "bridge/host_memory.h"
#include "bridge/sink_interfaces.h"

class HostNotificationsC : public HostApiInterfacesC,
                           public IHostCMSNotifications0,
                           public IHostNotifications0,
                           public IHostNotifications1 {
 public:
  // Every face's IUnknown methods act on the whole object.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  void LookupInterface(REFIID iid, void** out) override;

  // IHostCMSNotifications0
  HRESULT STDMETHODCALLTYPE CMSCommand(int32_t command, void* data, int32_t count, void* extra,
                                       CmsCommandResult* result) override;
  // IHostNotifications0
  HRESULT STDMETHODCALLTYPE Initialize(int32_t code) override;
  HRESULT STDMETHODCALLTYPE Quit() override;
  HRESULT STDMETHODCALLTYPE Command(int32_t command) override;
  HRESULT STDMETHODCALLTYPE Message(intptr_t value, int32_t first, int32_t second) override;
  HRESULT STDMETHODCALLTYPE DialogEvent(int32_t first, int32_t second, int32_t third) override;
  HRESULT STDMETHODCALLTYPE Notify(int32_t number, ObjectId object, const char* text,
                                   int32_t value) override;
  HRESULT STDMETHODCALLTYPE GetResource(int32_t type, const char* name, HostResource* out) override;
  // IHostNotifications1
  HRESULT STDMETHODCALLTYPE HtmlDialogEventEx(int32_t code, void* first, void* second) override;

  // Tears the connection down: forgets itself as the recorded sink, disconnects from the host,
  // lets the companion object go.
  ~HostNotificationsC() override;

  // The object's identity, as the host receives it in RegisterClient.
  IUnknown* Unknown() { return Identity(); }
};

// Copies the client's result into the host's record: the value and count as they are, the string
// and the integer array duplicated with alloc (null stays null): the C heap for a host in our
// apartment, the task allocator where COM's marshaller carries the record and frees our copies.
void CmsCommandCopyOut(const CmsCommandResult& result, CmsCommandResult* out, HostAllocFn alloc);
