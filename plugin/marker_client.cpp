// tansel-client: the marker plug-in as a program of its own. It creates the host object by class
// ("HOSTGUID", or the host's own), starts the plug-in on it, handles the host's callbacks in its
// message loop until the plug-in has started, and disconnects.
#include <cstdio>

#include "bridge/connection.h"

int main() {
  std::printf("tansel-client: connecting to the host\n");
  std::fflush(stdout);
  const int status = HostRunClient();
  if (status == 0) std::printf("tansel-client: disconnected\n");
  return status;
}
