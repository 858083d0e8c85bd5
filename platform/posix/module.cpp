// Library loading and module handles over the dynamic linker.
#include <dlfcn.h>
#include <link.h>
#include <strings.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/module_load_failure.h"
#include "platform/platform_calls.h"
#include "platform/posix/loaded_module.h"
#include "platform/posix/module_file.h"
#include "platform/win_module.h"

namespace {

const link_map* MainProgram() {
  void* self = dlopen(nullptr, RTLD_LAZY);
  if (self == nullptr) return nullptr;
  link_map* map = nullptr;
  if (dlinfo(self, RTLD_DI_LINKMAP, &map) != 0) map = nullptr;
  dlclose(self);
  return map;
}

// The dlopen handle of a loaded module: glibc hands out the link_map itself.
void* DlHandle(const link_map* module) {
  return const_cast<link_map*>(module);
}

// Takes one more reference on a loaded module; the main program has no name to open it by.
bool AddReference(const link_map* module, int extraFlags) {
  const char* name = module->l_name[0] != '\0' ? module->l_name : nullptr;
  return dlopen(name, RTLD_LAZY | RTLD_NOLOAD | extraFlags) != nullptr;
}

// Windows' own libraries whose functions this platform library stands in for: loading one by
// name gives this library, so that functions looked up at run time ("CoCreateInstanceEx" in
// "ole32.dll") are found where they live here.
constexpr const char* kSystemLibraries[] = {"ole32.dll"};

bool IsSystemLibrary(const char* name) {
  for (const char* system : kSystemLibraries) {
    if (strcasecmp(name, system) == 0) return true;
  }
  return false;
}

// The file of this platform library itself.
const char* PlatformLibraryPath() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&LoadLibraryA), &info) == 0) return nullptr;
  return info.dli_fname;
}

// The host maker's network library, which on this platform is our own NetLib module built beside
// this library.
constexpr const char* kNetLibName = "NetLib.dll";
constexpr const char* kNetLibFile = "libtansel_netlib.so";

// The NetLib module's full path, in buffer; null when it does not fit.
const char* NetLibPath(char* buffer, size_t size) {
  const char* own = PlatformLibraryPath();
  if (own == nullptr) return nullptr;
  const char* slash = std::strrchr(own, '/');
  const size_t folder = slash != nullptr ? static_cast<size_t>(slash - own + 1) : 0;
  if (folder + std::strlen(kNetLibFile) + 1 > size) return nullptr;
  std::memcpy(buffer, own, folder);
  std::memcpy(buffer + folder, kNetLibFile, std::strlen(kNetLibFile) + 1);
  return buffer;
}

}  // namespace

const link_map* FindLoadedModule(HMODULE module) {
  const link_map* main = MainProgram();
  if (module == nullptr) return main;
  for (const link_map* map = main; map != nullptr; map = map->l_next) {
    if (map == module) return map;
  }
  return nullptr;
}

namespace {
thread_local std::string t_loadFailure;  // why this thread's last LoadLibraryA failed
}  // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR path) {
  t_loadFailure.clear();
  if (path == nullptr || path[0] == '\0') return nullptr;
  // Windows reports a module by its full path; the dynamic linker keeps the name it was given.
  char full[PATH_MAX];
  if (IsSystemLibrary(path)) {
    path = PlatformLibraryPath();
    if (path == nullptr) return nullptr;
  } else if (strcasecmp(path, kNetLibName) == 0) {
    path = NetLibPath(full, sizeof full);
    if (path == nullptr) return nullptr;
  } else if (std::strchr(path, '/') != nullptr) {
    if (realpath(path, full) == nullptr) {
      t_loadFailure = std::string(path) + ": " + std::strerror(errno);
      return nullptr;
    }
    path = full;
  }
  void* handle = g_platformCalls.DlOpen(path, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    // Taken, which also clears it: failure is reported by the null.
    const char* why = dlerror();
    t_loadFailure = why != nullptr ? why : "";
  }
  return handle;
}

std::string ModuleLoadFailure() {
  return t_loadFailure;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  const link_map* map = module != nullptr ? FindLoadedModule(module) : nullptr;
  return map != nullptr && dlclose(DlHandle(map)) == 0 ? TRUE : FALSE;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  const link_map* map = FindLoadedModule(module);
  if (map == nullptr || IS_INTRESOURCE(name)) return nullptr;  // no ordinals here
  void* symbol = g_platformCalls.DlSym(DlHandle(map), name);
  if (symbol == nullptr) {
    dlerror();
    return nullptr;
  }
  // dlsym also searches the module's dependencies; Windows answers for the module alone.
  Dl_info info;
  link_map* owner = nullptr;
  if (dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
      owner != map) {
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module) {
  if (module == nullptr) return FALSE;
  *module = nullptr;
  const int pin = (flags & GET_MODULE_HANDLE_EX_FLAG_PIN) != 0 ? RTLD_NODELETE : 0;
  const bool counted = (flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) == 0 || pin != 0;
  const link_map* map = nullptr;
  if ((flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) != 0) {
    Dl_info info;
    link_map* owner = nullptr;
    if (dladdr1(name, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0) return FALSE;
    map = owner;
  } else if (name == nullptr) {
    map = MainProgram();
  } else {
    void* handle = dlopen(name, RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) {
      dlerror();
      return FALSE;
    }
    map = FindLoadedModule(handle);
    dlclose(handle);
  }
  if (map == nullptr || (counted && !AddReference(map, pin))) return FALSE;
  *module = DlHandle(map);
  return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  const link_map* map = FindLoadedModule(module);
  if (map == nullptr) return 0;
  char own[PATH_MAX];
  const char* path = map->l_name;
  if (path[0] == '\0') {  // the main program, which the dynamic linker does not name
    const long long length = g_platformCalls.ReadLink("/proc/self/exe", own, sizeof own - 1);
    if (length <= 0) return 0;
    own[length] = '\0';
    path = own;
  }
  const size_t length = std::strlen(path);
  if (length >= size) {  // cut and terminated, as Windows does since Vista
    std::memcpy(buffer, path, size - 1);
    buffer[size - 1] = '\0';
    return size;
  }
  std::memcpy(buffer, path, length + 1);
  return static_cast<DWORD>(length);
}

void* ModuleSymbolAddress(HMODULE module, LPCSTR name) {
  char path[4096];
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return nullptr;
  const link_map* map = FindLoadedModule(module);
  const uint64_t offset = FindModuleFileSymbol(path, name);
  if (map == nullptr || offset == 0) return nullptr;
  return reinterpret_cast<void*>(map->l_addr + offset);
}
