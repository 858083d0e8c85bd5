// The host bridge's global error code. Written only when something fails; a successful call
// never clears it. A caller that needs the outcome of one call saves it, sets it to 0, makes the
// call, reads it and restores the saved value.
#pragma once

#include <cstdint>

extern int32_t HostErrno;

inline constexpr int32_t ErrHostCall = -1;   // no interface, or the call failed
inline constexpr int32_t ErrNoHost = -20;    // no host object could be created
inline constexpr int32_t ErrHostBusy = -88;  // the host answered RPC_E_SERVERCALL_RETRYLATER
// Out of memory: a host call's result could not be copied whole (the call reports failure and
// hands out nothing), or PropListSet's list could not grow (it is left as it was).
inline constexpr int32_t ErrNoMemory = -41;
inline constexpr int32_t ErrPropNoMemory = ErrNoMemory;
