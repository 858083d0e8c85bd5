// Serving the host's resource requests from the library's own module.
#include "bridge/module_resource.h"

#include <cstring>

#include "platform/win_memory.h"

namespace {
constexpr DWORD kPathBytes = 260;  // the module path buffer, as Windows' MAX_PATH
}

uint32_t LoadModuleResource(HMODULE module, int32_t type, const char* name, const void** data) {
  *data = nullptr;
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(type & 0xFFFF));
  if (found == nullptr) return 0;
  DWORD size = SizeofResource(module, found);
  if (size == 0) return 0;
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) return 0;
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr) return 0;
  *data = bytes;
  return size;
}

HRESULT ServeModuleResource(HMODULE module, int32_t type, const char* name, HostResource* out) {
  char path[kPathBytes];
  const void* data = nullptr;
  uint32_t size = 0;
  if (type == 0) {
    DWORD length = GetModuleFileNameA(module, path, kPathBytes);
    // A path cut to the buffer is not the module's path (and its length + 1 would overrun).
    if (length == 0 || length >= kPathBytes) return E_FAIL;
    data = path;
    size = length + 1;
  } else {
    size = LoadModuleResource(module, type, name, &data);
    if (size == 0) return E_FAIL;
  }
  if (out == nullptr) return E_POINTER;
  void* copy = CoTaskMemAlloc(size);
  if (copy == nullptr) return E_OUTOFMEMORY;
  std::memcpy(copy, data, size);
  out->size = size;
  out->data = copy;
  return S_OK;
}
