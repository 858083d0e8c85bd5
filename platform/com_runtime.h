// The COM run-time calls beyond memory, with Windows' names and contracts.
#pragma once

#include "platform/com_types.h"

// Cuts every connection that remote callers hold on the object (reserved must be 0); in process
// there are none, so only the object itself is checked. E_INVALIDARG for a null object.
HRESULT WINAPI CoDisconnectObject(IUnknown* object, DWORD reserved);
