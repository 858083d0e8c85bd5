// Windows here (mingw-w64) has no AddressSanitizer: no module needs it, no process has it.
#include "platform/sanitizer_runtime.h"

bool ModuleFileUsesAddressSanitizer(const char*) {
  return false;
}

bool ProcessHasAddressSanitizer() {
  return false;
}
