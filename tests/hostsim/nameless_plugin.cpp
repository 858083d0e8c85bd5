// A plug-in that works but whose version resource gives it no name.
#include "bridge/client_callbacks.h"
#include "bridge/host_calls.h"

void ClientInitialize(int32_t code) {
  if (code == 1) HostRequestNotification(2, 1);
}
