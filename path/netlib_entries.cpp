// Finding NetLib's entries: the module is loaded by name once, at first use, and each entry looked
// up by its exported name. The module stays loaded for the life of the process, as the host keeps
// it.
#include "path/netlib_entries.h"

#include "platform/win_module.h"

namespace {

enum class State { kUnloaded, kReady, kMissing };

State g_state = State::kUnloaded;
NetLibEntries g_entries;

bool LoadEntries(NetLibEntries* entries) {
  HMODULE module = LoadLibraryA(kNetLibModuleName);
  if (module == nullptr) return false;
  bool complete = true;
  // Through void (*)(): FARPROC's own type says nothing of the real one.
#define TANSEL_NETLIB_LOOKUP(field, name, type)                                           \
  entries->field =                                                                        \
      reinterpret_cast<type>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))); \
  complete = complete && entries->field != nullptr;
  TANSEL_NETLIB_ENTRIES(TANSEL_NETLIB_LOOKUP)
#undef TANSEL_NETLIB_LOOKUP
  if (!complete) FreeLibrary(module);
  return complete;
}

}  // namespace

const NetLibEntries* NetLibGetEntries() {
  if (g_state == State::kUnloaded)
    g_state = LoadEntries(&g_entries) ? State::kReady : State::kMissing;
  return g_state == State::kReady ? &g_entries : nullptr;
}

void NetLibSetEntries(const NetLibEntries* entries) {
  if (entries == nullptr) {
    g_state = State::kUnloaded;
    return;
  }
  g_entries = *entries;
  g_state = State::kReady;
}
