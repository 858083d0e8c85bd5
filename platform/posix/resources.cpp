// Resources of a loaded module, found in its memory: the resource note inside its PT_NOTE
// segments. Pointers handed out point into the module and live as long as it stays loaded.
#include <link.h>

#include "platform/posix/loaded_module.h"
#include "platform/win_module.h"

namespace {

struct Search {
  const link_map* module;  // the module wanted
  ResourceBytes found;     // its resource directory, once found
};

// Called for every loaded object; the one whose dynamic section is the module's is ours.
int VisitObject(dl_phdr_info* info, size_t, void* context) {
  auto* search = static_cast<Search*>(context);
  bool ours = false;
  for (ElfW(Half) i = 0; i < info->dlpi_phnum && !ours; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    ours = segment.p_type == PT_DYNAMIC &&
           reinterpret_cast<ElfW(Dyn)*>(info->dlpi_addr + segment.p_vaddr) == search->module->l_ld;
  }
  if (!ours) return 0;
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_NOTE) continue;
    const ResourceBytes notes = {
        reinterpret_cast<const uint8_t*>(info->dlpi_addr + segment.p_vaddr), segment.p_memsz};
    search->found = FindResourceNote(notes, segment.p_align < 4 ? 4 : segment.p_align);
    if (search->found.data != nullptr) break;
  }
  return 1;
}

}  // namespace

ResourceBytes LoadedModuleResources(const link_map* module) {
  Search search = {module, {nullptr, 0}};
  if (module != nullptr && module->l_ld != nullptr) dl_iterate_phdr(VisitObject, &search);
  return search.found;
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  const ResourceBytes directory = LoadedModuleResources(FindLoadedModule(module));
  return FindResourceEntry(directory, name, type);
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
  const ResourceBytes directory = LoadedModuleResources(FindLoadedModule(module));
  return static_cast<DWORD>(
      ResourceEntryData(directory, static_cast<const ResourceEntry*>(resource)).size);
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
  const ResourceBytes directory = LoadedModuleResources(FindLoadedModule(module));
  const ResourceBytes data =
      ResourceEntryData(directory, static_cast<const ResourceEntry*>(resource));
  // Resources are read-only; the handle is their address, as on Windows.
  return const_cast<uint8_t*>(data.data);
}

LPVOID WINAPI LockResource(HGLOBAL data) {
  return data;
}
