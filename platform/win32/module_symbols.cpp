// Symbol lookup in a loaded module on Windows. A module's own symbol table (what DbgHelp reads from
// its debug information) is not consulted yet: every lookup answers null, which tools treat as a
// module stripped of its symbols.
#include "platform/win_module.h"

void* ModuleSymbolAddress(HMODULE, LPCSTR) {
  return nullptr;
}
