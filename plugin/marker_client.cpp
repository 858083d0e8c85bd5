// tansel-client: the marker plug-in as a program of its own. It creates the host object by class
// ("HOSTGUID", or the host's own), starts the plug-in on it, handles the host's callbacks in its
// message loop until the plug-in has started, and disconnects. A host call that failed on the way
// (a host that went away in the middle, say) is reported, and the program then ends with 1.
#include <cstdio>

#include "bridge/connection.h"
#include "bridge/host_errno.h"

int main() {
  std::printf("tansel-client: connecting to the host\n");
  std::fflush(stdout);
  const int status = HostRunClient();
  if (status != 0) return status;
  if (HostErrno != 0) {
    std::printf("tansel-client: a host call failed (HostErrno %d)\n", static_cast<int>(HostErrno));
  }
  std::printf("tansel-client: disconnected\n");
  return HostErrno != 0 ? 1 : 0;
}
