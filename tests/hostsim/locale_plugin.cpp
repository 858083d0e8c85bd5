// A plug-in that tells the host console how its collation sees 'a' and 'A', so a test can see the
// locale the simulated host runs its plug-ins in.
#include "bridge/client_callbacks.h"
#include "bridge/host_calls.h"
#include "strings/collation.h"

void ClientInitialize(int32_t) {
  HostConsoleWrite(Utf8CharCompare("a", "A") == 0 ? "a = A" : "a <> A");
}
