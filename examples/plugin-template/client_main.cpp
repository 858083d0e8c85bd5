// The plug-in as a program of its own: connects to the running host (by class: HOSTGUID or the
// host's own), handles its callbacks until ClientInitialize sets ClientStopped, and disconnects.
#include "bridge/connection.h"

int main() {
  return HostRunClient();
}
