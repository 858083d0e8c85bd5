// Why a module could not be loaded, in the system loader's words: for tools that report a module
// they cannot load. (Apart from the module calls, so that Windows' side can include it beside the
// system's own headers.)
#pragma once

#include <string>

// Why the last LoadLibraryA of this thread failed (on this platform the loader names a missing
// dependency, or what is wrong with the file); empty when no reason is known.
std::string ModuleLoadFailure();
