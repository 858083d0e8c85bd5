// Start-up of the utility library. The encodings' start-up is not in the library yet; until it
// is, this only marks the client initialised, as that start-up does.
#include "bridge/client_startup.h"

#include "bridge/client_state.h"

void ClientStartup() {
  ClientInitialised = 1;
}
