// How the library marks its symbols for the linker: the one exported entry, and the client
// callbacks' defaults, which a plug-in replaces by defining its own.
#pragma once

// Visible outside the loaded module although the library is built with hidden visibility.
#define TANSEL_EXPORT __attribute__((visibility("default")))

// A default definition that yields to any other definition of the same name at link time.
#define TANSEL_WEAK __attribute__((weak))
