// The flag that client start-up sets and the host's "Quit" clears. It belongs with the encoding
// start-up, which sets it; it lives here until that lands.
#include "bridge/client_state.h"

int32_t ClientInitialised = 0;
