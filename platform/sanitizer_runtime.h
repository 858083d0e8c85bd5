// AddressSanitizer's run-time and the modules built with it. A module built with the sanitizer
// needs its run-time, which only a program built with it can load (the run-time must come first
// in the process); such a program also finds leaks when it exits. Windows here has no sanitizer.
#pragma once

// Whether the module file at path was built with AddressSanitizer (it needs the run-time).
bool ModuleFileUsesAddressSanitizer(const char* path);
// Whether this process runs with AddressSanitizer's run-time.
bool ProcessHasAddressSanitizer();
