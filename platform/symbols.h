// How the library marks its symbols for the linker: the one exported entry, and the client
// callbacks' defaults, which a plug-in replaces by defining its own.
#pragma once

#ifdef _WIN32
// Exported from the DLL that links it (the module's definition file keeps it the only export).
#define TANSEL_EXPORT __declspec(dllexport)
#else
// Visible outside the loaded module although the library is built with hidden visibility.
#define TANSEL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef _WIN32
// Windows' linkers do not resolve weak definitions across objects: a default there is an archive
// member of its own, which the linker takes only when no other definition exists.
#define TANSEL_WEAK
#else
// A default definition that yields to any other definition of the same name at link time.
#define TANSEL_WEAK __attribute__((weak))
#endif
