// The end of a connection, in every mode: the host releasing the sink, or the client leaving.
#include "bridge/connection.h"

#include "bridge/client_state.h"
#include "bridge/notification_sink.h"
#include "platform/com_runtime.h"

void HostDisconnect() {
  for (IUnknown*& entry : HostInterfaceTable) {
    // The entry is emptied before the call: releasing is a call into the host, which may release
    // the sink for the last time, and the sink's end runs this function again.
    IUnknown* host = entry;
    entry = nullptr;
    if (host != nullptr) host->Release();
  }
  // Read only now: the releases above may have ended the sink.
  if (HostNotificationsC* sink = ClientSink) {
    CoDisconnectObject(static_cast<IHostNotifications0*>(sink), 0);
  }
  ClientStopped = 1;
}
