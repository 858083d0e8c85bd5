// The file-name alias map: a small array of entries searched in order, each one owned block that
// holds the name and then its replacement.
#include "channel/name_alias.h"

#include <cstring>

#include "strings/memory.h"

namespace {

struct AliasEntry {
  char* name;         // the block: name, then replacement
  char* replacement;  // inside the block
};

// The map, freed when the library is unloaded.
struct AliasMap {
  AliasEntry* entries = nullptr;
  int count = 0;
  int capacity = 0;

  ~AliasMap() {
    for (int i = 0; i < count; ++i) MemFree(entries[i].name);
    MemFree(entries);
  }
  AliasEntry* Find(const char* name) {
    for (int i = 0; i < count; ++i) {
      if (std::strcmp(entries[i].name, name) == 0) return &entries[i];
    }
    return nullptr;
  }
};

AliasMap g_aliases;

// A new entry block for the pair; failure is fatal, as the map has no way to report it.
AliasEntry MakeEntry(const char* name, const char* replacement) {
  const size_t nameSize = std::strlen(name) + 1;
  const size_t replacementSize = std::strlen(replacement) + 1;
  auto* block = static_cast<char*>(MemAlloc(nameSize + replacementSize, kMemFatal));
  std::memcpy(block, name, nameSize);
  std::memcpy(block + nameSize, replacement, replacementSize);
  return {block, block + nameSize};
}

}  // namespace

void ChanSetNameAlias(const char* name, const char* replacement) {
  if (name == nullptr) name = "";
  if (replacement == nullptr) replacement = "";
  const AliasEntry entry = MakeEntry(name, replacement);
  if (AliasEntry* old = g_aliases.Find(name)) {
    MemFree(old->name);
    *old = entry;
    return;
  }
  if (g_aliases.count == g_aliases.capacity) {
    const int capacity = g_aliases.capacity == 0 ? 8 : 2 * g_aliases.capacity;
    void* grown = MemRealloc(g_aliases.entries, capacity * sizeof(AliasEntry), 0);
    if (grown == nullptr) {
      MemFree(entry.name);
      MemFatal();
    }
    g_aliases.entries = static_cast<AliasEntry*>(grown);
    g_aliases.capacity = capacity;
  }
  g_aliases.entries[g_aliases.count++] = entry;
}

void ChanRemoveNameAlias(const char* name) {
  AliasEntry* entry = g_aliases.Find(name != nullptr ? name : "");
  if (entry == nullptr) return;
  MemFree(entry->name);
  *entry = g_aliases.entries[--g_aliases.count];
}

const char* ChanLookupNameAlias(const char* name) {
  const AliasEntry* entry = g_aliases.Find(name != nullptr ? name : "");
  return entry != nullptr ? entry->replacement : name;
}
