// A plug-in whose start-up breaks an invariant: the library's fatal error leaves "Initialize",
// and the simulator must stop it at the host boundary.
#include "bridge/client_callbacks.h"
#include "strings/memory.h"

void ClientInitialize(int32_t) {
  MemBailOut();
}
