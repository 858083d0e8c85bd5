// The loaded modules behind module handles. On glibc a dlopen handle is the module's link_map, so
// a handle is checked against the process's list of loaded modules before anything trusts it.
#pragma once

#include "platform/posix/resource_directory.h"
#include "platform/win_module.h"

struct link_map;

// The loaded module that module names (null names the main program); null when it names none.
const link_map* FindLoadedModule(HMODULE module);
// The resource directory inside a loaded module's memory; {null, 0} when it carries none.
ResourceBytes LoadedModuleResources(const link_map* module);
