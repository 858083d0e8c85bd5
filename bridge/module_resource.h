// The library's own module resources, which the host asks for through the sink's "GetResource".
#pragma once

#include <cstdint>

#include "bridge/sink_interfaces.h"
#include "platform/win_module.h"

// The resource of the given type (low 16 bits, an integer type) and name in module: its size, and
// *data pointing into the module; 0 with *data null when any step fails.
uint32_t LoadModuleResource(HMODULE module, int32_t type, const char* name, const void** data);

// Answers "GetResource": type 0 is the module's full path with its zero byte, other types a
// resource of the module. S_OK with out filled (data from CoTaskMemAlloc, the host's to free);
// E_FAIL when there is nothing, E_OUTOFMEMORY when the copy cannot be made; out is untouched on
// failure.
HRESULT ServeModuleResource(HMODULE module, int32_t type, const char* name, HostResource* out);
