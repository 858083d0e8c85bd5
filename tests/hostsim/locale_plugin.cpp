// A plug-in that tells the host console how its collation sees 'a' and 'A', so a test can see the
// locale the simulated host runs its plug-ins in; before that, a formatted line, which reaches the
// console in pieces.
#include "bridge/client_callbacks.h"
#include "bridge/host_calls.h"
#include "channel/channel_format.h"
#include "strings/collation.h"

void ClientInitialize(int32_t) {
  ChanPrintf(nullptr, "%s + %d = %d\n", "one", 1, 2);
  HostConsoleWrite(Utf8CharCompare("a", "A") == 0 ? "a = A" : "a <> A");
}
