// The host bridge's global error code. Written only when something fails; a successful call
// never clears it. A caller that needs the outcome of one call saves it, sets it to 0, makes the
// call, reads it and restores the saved value.
//
// Every value it takes, and what writes it:
//
// clang-format off
// | value | name | written by |
// |---|---|---|
// | -1 | ErrHostCall | every host-call wrapper and front when the interface is missing or the call fails (any failing HRESULT but the busy one; a status call then returns -1 also when the host left its code at 0), and when the host answers S_OK without writing its error code; HostMemoryPolicyCall4 on any failure; HostConnect when F_ApiClientInit fails (no HostApi) |
// | -4 | PropNotFound | PropStatusBit: the bit lies beyond the words the status entry holds |
// | -5 | ErrPropNoStatus | PropStatusBit: the list holds no status entry (number 3 or 1) |
// | -20 | ErrNoHost | HostConnect, HostRunClient, HostConnectStatus: no host object could be created |
// | -41 | ErrNoMemory (ErrPropNoMemory) | every host-call wrapper whose result is host memory (strings, lists, records that own strings) when the client's copy of it could not be made whole (the call fails and hands out nothing); PropListSet: the list could not grow (it is left as it was) |
// | -42 | ErrNoDefaultList | PropCallNamedWithDefaults, PropCallNamedWith29, PropCallObjectWithDefaults: the option list could not be built |
// | -43 | kPathErrUnsupportedSyntax | PathToText: a null path or a syntax other than 0, 1, 2 and 4 |
// | -88 | ErrHostBusy | every host-call wrapper and front: the host answered RPC_E_SERVERCALL_RETRYLATER (out of process, after the message filter gave up retrying) |
// | any other nonzero | the host's own code | the wrappers whose slot returns an error code (shapes Status, Set, Truth, Get, Two, Kept and Optional) when the host writes a nonzero one; never those of shapes Convert and ConvertResult, whose code is their result alone |
//
// clang-format on
//
// The simulator (tansel-hostsim) answers with two host codes of its own:
//
// clang-format off
// | value | meaning | written by |
// |---|---|---|
// | 17 | no such object: the document or the object is unknown | the property getters of slots 85, 89 and 97 (HostGetIntByIdent, HostGetIdByIdent, HostGetStringByIdent and their fronts HostGetInt, HostGetIntByName, HostGetId, HostGetString); --validate also has any slot answer it |
// | 18 | no such property: a named property, or one the object does not have | the same getters |
// clang-format on
#pragma once

#include <cstdint>

// The code itself: 0 at load.
extern int32_t HostErrno;

inline constexpr int32_t ErrHostCall = -1;   // no interface, or the call failed
inline constexpr int32_t ErrNoHost = -20;    // no host object could be created
inline constexpr int32_t ErrHostBusy = -88;  // the host answered RPC_E_SERVERCALL_RETRYLATER
// Out of memory: a host call's result could not be copied whole (the call reports failure and
// hands out nothing), or PropListSet's list could not grow (it is left as it was).
inline constexpr int32_t ErrNoMemory = -41;
// The name PropListSet's callers know the out-of-memory code by.
inline constexpr int32_t ErrPropNoMemory = ErrNoMemory;
