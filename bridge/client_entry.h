// The client's entry: the host loads the library and calls F_ApiClientInit, which takes the host's
// interfaces, registers the notification sink and prepares the library.
#pragma once

#include <cstdint>

#include "bridge/host_types.h"
#include "platform/com_types.h"
#include "platform/symbols.h"

// Connects the client to host: 0 on success, -1 when there is no host object, no HostApi, or no
// sink could be made (nothing is registered then). A null description makes the library read
// its own from the version resource of module (none when module is null); a given one is passed
// to the host unchanged and stays the caller's.
extern "C" TANSEL_EXPORT int32_t F_ApiClientInit(HMODULE module, IUnknown* host,
                                                 IUnknown* companion,
                                                 const ClientDescription* description);

// Queries host for the 15 base interfaces, in table order, into the table (absent ones stay null).
void AcquireHostInterfaces(IUnknown* host);
// Releases the base interfaces that are present and nulls them; the optional three stay.
void ReleaseHostInterfaces();
