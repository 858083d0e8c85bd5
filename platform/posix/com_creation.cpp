// Creating objects by class: identifiers from text, the class registry, server modules.
#include "platform/com_creation.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/com_runtime.h"
#include "platform/platform_calls.h"
#include "platform/win_module.h"

namespace {

struct GuidLess {
  bool operator()(const CLSID& a, const CLSID& b) const { return std::memcmp(&a, &b, 16) < 0; }
};

// Classes registered in code, and the server modules loaded so far (kept for the process, as COM
// keeps them until the apartment ends).
std::map<CLSID, std::string, GuidLess>& CodeRegistry() {
  static auto* registry = new std::map<CLSID, std::string, GuidLess>;
  return *registry;
}
std::map<std::string, HMODULE>& LoadedServers() {
  static auto* servers = new std::map<std::string, HMODULE>;
  return *servers;
}

int HexValue(WCHAR c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads digits hex digits at text into value; false at anything else.
bool ReadHex(LPCWSTR text, int digits, unsigned long long* value) {
  *value = 0;
  for (int i = 0; i < digits; ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0) return false;
    *value = (*value << 4) | static_cast<unsigned>(digit);
  }
  return true;
}

bool ParseClsid(LPCWSTR text, CLSID* clsid) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters, then the end.
  static constexpr int kLength = 38;
  for (int i = 0; i < kLength; ++i) {
    if (text[i] == 0) return false;
  }
  if (text[kLength] != 0 || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' ||
      text[14] != u'-' || text[19] != u'-' || text[24] != u'-') {
    return false;
  }
  unsigned long long data1, data2, data3, clock, node;
  if (!ReadHex(text + 1, 8, &data1) || !ReadHex(text + 10, 4, &data2) ||
      !ReadHex(text + 15, 4, &data3) || !ReadHex(text + 20, 4, &clock) ||
      !ReadHex(text + 25, 12, &node)) {
    return false;
  }
  clsid->Data1 = static_cast<DWORD>(data1);
  clsid->Data2 = static_cast<WORD>(data2);
  clsid->Data3 = static_cast<WORD>(data3);
  clsid->Data4[0] = static_cast<BYTE>(clock >> 8);
  clsid->Data4[1] = static_cast<BYTE>(clock);
  for (int i = 0; i < 6; ++i) clsid->Data4[2 + i] = static_cast<BYTE>(node >> (8 * (5 - i)));
  return true;
}

// The whole file at path, through the platform's calls; false when it cannot be read.
bool ReadWholeFile(const char* path, std::string* text) {
  const int fd = g_platformCalls.Open(path, O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return false;
  char buffer[4096];
  long long offset = 0;
  bool ok = true;
  for (;;) {
    const long long got = g_platformCalls.ReadAt(fd, buffer, sizeof buffer, offset);
    if (got < 0) ok = false;
    if (got <= 0) break;
    text->append(buffer, static_cast<size_t>(got));
    offset += got;
  }
  g_platformCalls.Close(fd);
  return ok;
}

// The server module that the registry file names for clsid; empty when there is none. A relative
// path is taken from the registry file's folder.
std::string RegistryFileServer(REFCLSID clsid) {
  const char* file = std::getenv(kComRegistryVariable);
  std::string text;
  if (file == nullptr || file[0] == '\0' || !ReadWholeFile(file, &text)) return {};
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    const size_t split = line.find_first_of(" \t", first);
    if (split == std::string::npos) continue;
    std::u16string braced(line.begin() + first, line.begin() + split);
    CLSID found;
    if (!ParseClsid(braced.c_str(), &found) || !IsEqualGUID(found, clsid)) continue;
    const size_t pathStart = line.find_first_not_of(" \t", split);
    const size_t pathEnd = line.find_last_not_of(" \t\r");
    if (pathStart == std::string::npos) continue;
    std::string path = line.substr(pathStart, pathEnd - pathStart + 1);
    if (path[0] != '/') {
      std::string folder(file);
      const size_t slash = folder.rfind('/');
      if (slash != std::string::npos) path = folder.substr(0, slash + 1) + path;
    }
    return path;
  }
  return {};
}

// The loaded server module at path, loaded on first need.
HMODULE ServerModule(const std::string& path) {
  auto it = LoadedServers().find(path);
  if (it != LoadedServers().end()) return it->second;
  HMODULE module = LoadLibraryA(path.c_str());
  if (module != nullptr) LoadedServers()[path] = module;
  return module;
}

bool SameLetters(LPCWSTR wide, const char* narrow) {
  for (; *narrow != '\0'; ++wide, ++narrow) {
    WCHAR c = *wide;
    if (c >= u'A' && c <= u'Z') c = static_cast<WCHAR>(c - u'A' + u'a');
    char n = *narrow;
    if (n >= 'A' && n <= 'Z') n = static_cast<char>(n - 'A' + 'a');
    if (c != static_cast<unsigned char>(n)) return false;
  }
  return *wide == 0;
}

}  // namespace

HRESULT WINAPI CLSIDFromString(LPCWSTR text, CLSID* clsid) {
  if (text == nullptr || clsid == nullptr) return E_INVALIDARG;
  if (ParseClsid(text, clsid)) return S_OK;
  *clsid = {};
  return CO_E_CLASSSTRING;
}

HRESULT ComRegisterServer(REFCLSID clsid, LPCSTR path) {
  if (path == nullptr || path[0] == '\0') return E_INVALIDARG;
  CodeRegistry()[clsid] = path;
  return S_OK;
}

HRESULT ComRevokeServer(REFCLSID clsid) {
  return CodeRegistry().erase(clsid) != 0 ? S_OK : S_FALSE;
}

bool ComIsLocalMachine(LPCWSTR name) {
  if (name == nullptr) return false;
  if (SameLetters(name, "localhost") || SameLetters(name, "127.0.0.1") || SameLetters(name, ".")) {
    return true;
  }
  char host[256] = {};
  return gethostname(host, sizeof host - 1) == 0 && host[0] != '\0' && SameLetters(name, host);
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                                LPVOID* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (ComInitializeDepth() == 0) return CO_E_NOTINITIALIZED;
  if ((context & CLSCTX_SERVER) == 0) return E_INVALIDARG;
  std::string path;
  auto it = CodeRegistry().find(clsid);
  path = it != CodeRegistry().end() ? it->second : RegistryFileServer(clsid);
  if (path.empty()) return REGDB_E_CLASSNOTREG;
  HMODULE module = ServerModule(path);
  if (module == nullptr) return CO_E_DLLNOTFOUND;
  // Through void (*)(): FARPROC's own type says nothing of the real one.
  auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
  if (getClassObject == nullptr) return CO_E_ERRORINDLL;
  void* factory = nullptr;
  HRESULT hr = getClassObject(clsid, IID_IClassFactory, &factory);
  if (FAILED(hr) || factory == nullptr) return FAILED(hr) ? hr : E_UNEXPECTED;
  hr = static_cast<IClassFactory*>(factory)->CreateInstance(outer, iid, out);
  static_cast<IClassFactory*>(factory)->Release();
  if (FAILED(hr)) *out = nullptr;
  return hr;
}

void ComDescribeCreationFailure(HRESULT hr, REFCLSID clsid, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  char name[40];
  std::snprintf(name, sizeof name, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(clsid.Data1), clsid.Data2, clsid.Data3, clsid.Data4[0],
                clsid.Data4[1], clsid.Data4[2], clsid.Data4[3], clsid.Data4[4], clsid.Data4[5],
                clsid.Data4[6], clsid.Data4[7]);
  const char* file = std::getenv(kComRegistryVariable);
  std::string text;
  const bool haveRegistry = file != nullptr && file[0] != '\0';
  if (hr == REGDB_E_CLASSNOTREG && !haveRegistry) {
    std::snprintf(buffer, size, "no class registry: %s is not set, so class %s has no server",
                  kComRegistryVariable, name);
  } else if (hr == REGDB_E_CLASSNOTREG && !ReadWholeFile(file, &text)) {
    std::snprintf(buffer, size, "the class registry %s (%s) cannot be read", file,
                  kComRegistryVariable);
  } else if (hr == REGDB_E_CLASSNOTREG) {
    std::snprintf(buffer, size, "class %s is not registered in %s", name, file);
  } else if (hr == CO_E_DLLNOTFOUND) {
    std::snprintf(buffer, size, "the server module registered for class %s cannot be loaded", name);
  } else if (hr == CO_E_ERRORINDLL) {
    std::snprintf(buffer, size,
                  "the server module registered for class %s exports no DllGetClassObject", name);
  } else {
    std::snprintf(buffer, size, "the server of class %s refused to make the object (0x%08X)", name,
                  static_cast<unsigned>(hr));
  }
}

// Exported by name only: callers find it with GetProcAddress in "ole32.dll".
extern "C" HRESULT WINAPI CoCreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context,
                                             COSERVERINFO* server, DWORD count, MULTI_QI* results) {
  if (count == 0 || results == nullptr) return E_INVALIDARG;
  for (DWORD i = 0; i < count; ++i) results[i].pItf = nullptr;
  auto failAll = [&](HRESULT hr) {
    for (DWORD i = 0; i < count; ++i) results[i].hr = hr;
    return hr;
  };
  if (server != nullptr && server->pwszName != nullptr && !ComIsLocalMachine(server->pwszName)) {
    return failAll(kServerUnavailable);
  }
  void* object = nullptr;
  const HRESULT hr = CoCreateInstance(clsid, outer, context, IID_IUnknown, &object);
  if (FAILED(hr)) return failAll(hr);
  DWORD given = 0;
  for (DWORD i = 0; i < count; ++i) {
    void* face = nullptr;
    results[i].hr = results[i].pIID != nullptr
                        ? static_cast<IUnknown*>(object)->QueryInterface(*results[i].pIID, &face)
                        : E_POINTER;
    results[i].pItf = SUCCEEDED(results[i].hr) ? static_cast<IUnknown*>(face) : nullptr;
    if (results[i].pItf != nullptr) ++given;
  }
  static_cast<IUnknown*>(object)->Release();
  if (given == count) return S_OK;
  return given == 0 ? E_NOINTERFACE : CO_S_NOTALLINTERFACES;
}
