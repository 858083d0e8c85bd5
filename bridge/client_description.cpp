// Reading the client's description from the version resource.
#include "bridge/client_description.h"

#include "platform/win_version.h"
#include "props/property_list.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

namespace {

constexpr DWORD kPathBytes = 260;      // the module path buffer, as Windows' MAX_PATH
constexpr DWORD kVersionBytes = 4096;  // the version block buffer
constexpr int kSubBlockBytes = 512;    // the sub-block path buffer
constexpr char kStringTable[] = "\\StringFileInfo\\040904b0\\";

struct DescriptionKey {
  int32_t number;   // the property number in the description
  const char* key;  // the version-resource key
};
constexpr DescriptionKey kKeys[] = {
    {2, "ClientName"},      {3, "ClientType"},       {4, "FileDescription"}, {5, "ClientProducts"},
    {6, "ClientFacet"},     {7, "ClientFormatId"},   {8, "ClientVendor"},    {9, "ClientSuffix"},
    {10, "ClientInFormat"}, {11, "ClientOutFormat"},
};

}  // namespace

int ReadVersionString(const void* versionBlock, ClientDescription& description, int32_t number,
                      const char* key) {
  char subBlock[kSubBlockBytes];
  StrCopyN(subBlock, kStringTable, kSubBlockBytes);
  StrAppendN(subBlock, key, kSubBlockBytes);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(versionBlock, subBlock, &value, &length) || value == nullptr) return 0;
  PropListSetString(&description, number, static_cast<const char*>(value));
  return 1;
}

int ReadClientDescription(HMODULE module, ClientDescription& description) {
  char path[kPathBytes];
  DWORD length = GetModuleFileNameA(module, path, kPathBytes);
  if (length == 0 || length >= kPathBytes) return 0;  // a cut path names another file
  void* block = MemAlloc(kVersionBytes, 0);
  if (block == nullptr) return 0;
  int read = GetFileVersionInfoA(path, 0, kVersionBytes, block) ? 1 : 0;
  if (read) {
    for (const DescriptionKey& row : kKeys) {
      ReadVersionString(block, description, row.number, row.key);
    }
  }
  MemFree(block);
  return read;
}

void LocalClientDescription::Free() {
  PropListFree(&list_);
}
