// The host calls on a plug-in's road, declared here with their parameters' meanings. Their
// definitions are the table's wrappers (bridge/host_wrappers.h); the numbered forms are fronts
// (bridge/host_fronts.h). Each reports failure through HostErrno and a neutral result (0, null,
// -1 for a status); see bridge/host_call.h for the convention.
#pragma once

#include <cstdint>

#include "bridge/host_fronts.h"  // the numbered forms are inline there
#include "bridge/host_types.h"

// Turns notification on (state 1) or off (0): 0, or the error code.
int32_t HostRequestNotification(int32_t notification, int32_t state);
// Writes text to the host console: 0, or the error code. The console hook after start-up.
int HostConsoleWrite(const char* text);
// Shows text in a host message box of the given type: the host's result, 0 on failure.
int32_t HostShowMessage(const char* text, int32_t type);

// An integer property of object in document; 0 on failure.
int32_t HostGetIntByIdent(ObjectId document, ObjectId object, const PropertyIdent* ident);
// An object-id property; 0 (none) on failure.
ObjectId HostGetIdByIdent(ObjectId document, ObjectId object, const PropertyIdent* ident);
// A string property as a copy the caller frees with the C heap (MemFree); null on failure or
// when the host's value is null.
char* HostGetStringByIdent(ObjectId document, ObjectId object, const PropertyIdent* ident);

// The same, for the numbered property {number, null}.
int32_t HostGetInt(ObjectId document, ObjectId object, int32_t number);
ObjectId HostGetId(ObjectId document, ObjectId object, int32_t number);
char* HostGetString(ObjectId document, ObjectId object, int32_t number);
