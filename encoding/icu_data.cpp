// ICU's data directory and the encoding part of client start-up.
#include "encoding/icu_data.h"

#include <unicode/putil.h>

#include <cstring>

#include "bridge/client_state.h"
#include "bridge/host_calls.h"
#include "bridge/host_errno.h"
#include "encoding/dialog_encoding.h"
#include "platform/path_translation.h"
#include "strings/memory.h"

namespace {

constexpr int32_t kPropIcuParentDirectory = 89;  // host string property: where "icu_data" lives
constexpr size_t kDataPathSize = 1024;           // the directory with its suffix and terminator
constexpr char kDataSuffix[] = "\\icu_data";

}  // namespace

int EncSetIcuDataDirectory(const char* path) {
  size_t length = PlatformTranslatePath(path, nullptr, 0);
  auto* systemPath = static_cast<char*>(MemAlloc(length + 1, 0));
  if (systemPath == nullptr) return 1;
  PlatformTranslatePath(path, systemPath, length + 1);
  u_setDataDirectory(systemPath);  // ICU keeps its own copy
  MemFree(systemPath);
  return 0;
}

const char* EncGetIcuDataDirectory() {
  return u_getDataDirectory();
}

int EncClientStartup() {
  if (!EncTablesReady()) EncSetDialogEncoding("HostRoman");
  ClientInitialised = 1;
  return EncEnsureIcuDataDirectory();
}

int EncPointIcuAtHost() {
  // Only this call's outcome matters here; the caller's error code survives it.
  int32_t savedErrno = HostErrno;
  HostErrno = 0;
  char* answer = HostGetString(0, 0, kPropIcuParentDirectory);
  int32_t error = HostErrno;
  HostErrno = savedErrno;

  char path[kDataPathSize];
  size_t length = answer != nullptr ? std::strlen(answer) : 0;
  bool usable = error == 0 && length > 0 && length + sizeof kDataSuffix <= sizeof path;
  if (usable) {
    std::memcpy(path, answer, length);
    std::memcpy(path + length, kDataSuffix, sizeof kDataSuffix);
  }
  MemFree(answer);
  if (!usable) return 1;
  return EncSetIcuDataDirectory(path);
}

int EncEnsureIcuDataDirectory() {
  const char* current = u_getDataDirectory();
  if (current != nullptr && current[0] != '\0') return 0;
  return EncPointIcuAtHost();
}

int EncClientInitialised() {
  return ClientInitialised;
}
