// AddressSanitizer's run-time on this platform: GCC and Clang link modules built with it to the
// shared run-time, libasan.so.N (Clang's libclang_rt.asan-ARCH.so when asked for it).
#include "platform/sanitizer_runtime.h"

#include <dlfcn.h>

#include "platform/posix/module_file.h"

bool ModuleFileUsesAddressSanitizer(const char* path) {
  return ModuleFileNeedsLibrary(path, "libasan.so") ||
         ModuleFileNeedsLibrary(path, "libclang_rt.asan");
}

bool ProcessHasAddressSanitizer() {
  return dlsym(RTLD_DEFAULT, "__asan_init") != nullptr;
}
