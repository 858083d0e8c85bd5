#include "tests/path/fake_netlib.h"

#include <cstdlib>
#include <cstring>

FakeNetLib* FakeNetLib::current = nullptr;

namespace {

FakeNetLib& Fake() {
  return *FakeNetLib::current;
}

std::string Show(const char* s) {
  return s != nullptr ? s : "(null)";
}

NetLibRet Result(const char* entry) {
  auto it = Fake().results.find(entry);
  return it != Fake().results.end() ? it->second : 0;
}

// Hands out the configured text of entry (a heap copy the wrapper must give back).
void Give(const char* entry, char** out) {
  auto it = Fake().texts.find(entry);
  *out = nullptr;
  if (it == Fake().texts.end()) return;
  *out = static_cast<char*>(std::malloc(it->second.size() + 1));
  std::memcpy(*out, it->second.c_str(), it->second.size() + 1);
  ++Fake().outstanding;
}

NetLibRet Record(const char* entry, const std::string& args, char** out = nullptr) {
  Fake().calls.push_back(std::string(entry) + "(" + args + ")");
  if (out != nullptr) Give(entry, out);
  const NetLibRet result = Result(entry);
  auto error = Fake().errors.find(entry);
  if (result != 0 && error != Fake().errors.end()) Fake().lastError = error->second;
  return result;
}

extern "C" {
NetLibRet IsNetFile(const char* name) {
  Fake().calls.push_back("IsNetFile(" + Show(name) + ")");
  return std::strncmp(name, "http://", 7) == 0 ? 0 : 1;
}
NetLibRet Stat(const char* name, uint32_t flags) {
  return Record("Stat", Show(name) + "," + std::to_string(flags));
}
NetLibRet Open(const char* name, uint32_t flags, char** local) {
  return Record("Open", Show(name) + "," + std::to_string(flags), local);
}
NetLibRet QueryCacheForPath(const char* name, char** local) {
  return Record("QueryCacheForPath", Show(name), local);
}
NetLibRet QueryCacheForUrl(const char* name, char** local) {
  return Record("QueryCacheForURL", Show(name), local);
}
NetLibRet GetCacheFile(const char* name, char** local) {
  return Record("GetCacheFile", Show(name), local);
}
NetLibRet Save(const char* name, uint32_t flags) {
  return Record("Save", Show(name) + "," + std::to_string(flags));
}
NetLibRet Put(const char* name, const char* second) {
  return Record("Put", Show(name) + "," + Show(second));
}
NetLibRet UploadFolder(const char* name, const char* second) {
  return Record("UploadFolder", Show(name) + "," + Show(second));
}
// Joins by plain concatenation unless a text is configured: enough for the path operations.
NetLibRet GetAbsoluteUrl(const char* base, const char* name, char** out) {
  if (Fake().texts.count("GetAbsoluteURL") == 0)
    Fake().texts["GetAbsoluteURL"] = std::string(base) + name;
  NetLibRet r = Record("GetAbsoluteURL", Show(base) + "," + Show(name), out);
  return r;
}
NetLibRet GetRelativeUrl(const char* base, const char* target, char** out) {
  return Record("GetRelativeURL", Show(base) + "," + Show(target), out);
}
NetLibRet CleanUrl(const char* url, char** out) {
  return Record("CleanURL", Show(url), out);
}
NetLibErr LastError() {  // not GetLastError: Windows has a C function of that name
  Fake().calls.push_back("GetLastError()");
  return Fake().lastError;
}
void Free(char* text) {
  Fake().calls.push_back("Free(" + Show(text) + ")");
  --Fake().outstanding;
  std::free(text);
}
}

}  // namespace

NetLibEntries FakeNetLib::Entries() {
  return NetLibEntries{
      IsNetFile,    Stat, Open,         QueryCacheForPath, QueryCacheForUrl, GetCacheFile,
      Save,         Put,  UploadFolder, GetAbsoluteUrl,    GetRelativeUrl,   CleanUrl,
      LastError, Free};
}

FakeNetLib::FakeNetLib() {
  current = this;
  const NetLibEntries entries = Entries();
  NetLibSetEntries(&entries);
}

FakeNetLib::~FakeNetLib() {
  NetLibSetEntries(nullptr);
  current = nullptr;
}
