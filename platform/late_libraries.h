// Modules bound at the first call into them rather than when ours is loaded. On Windows the host's
// ICU modules are bound so: a plug-in then loads even where they are missing or unusable, and says
// so once, at start-up, instead of being refused by the loader without a word or failing in the
// middle of a later call. The build lists the modules' import descriptors (late_libraries.cpp in
// the build folder); here there are none, every module being bound at load.
#pragma once

#include <string>

// The import descriptors of the late-bound modules, and their number.
extern const void* const kLateLibraries[];
extern const int kLateLibraryCount;

// Empty when every late-bound module loads and has every entry point this module imports from
// it; otherwise what is wrong, naming the module and the first missing entry point ("icuin73.dll
// cannot be loaded (error 126: ...)", "icuuc73.dll has no entry point u_strlen_73").
std::string PlatformLateLibrariesProblem(const void* const* descriptors, int count);
