// Start-up of the utility library once the client is registered.
#include "bridge/client_startup.h"

#include "encoding/icu_data.h"

void ClientStartup() {
  // Its result only says whether ICU found the host's data; the client starts either way.
  EncClientStartup();
}
