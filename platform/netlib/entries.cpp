// The entries of NetLib as this platform's "NetLib.dll": network names are http:// and https://
// URLs, each kept as a copy in the local cache. Texts handed out are malloc'ed and given back
// through NetLibFree. Transfers go through the transfer module, loaded at the first one.
#include <dirent.h>
#include <sys/stat.h>

#include <strings.h>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/netlib/cache_files.h"
#include "platform/netlib/netlib_errors.h"
#include "platform/netlib/transfers.h"
#include "platform/netlib/url_rules.h"

#define NETLIB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// One for the process: the client calls NetLib from one thread.
int32_t g_lastError = kNetLibOk;

const HttpTransfers* Http() {
  return HttpTransfersLoad();
}

int Download(const std::string& url, const std::string& destination) {
  return Http() != nullptr ? Http()->download(url.c_str(), destination.c_str())
                           : kNetLibUnsupported;
}

int Head(const std::string& url) {
  return Http() != nullptr ? Http()->head(url.c_str()) : kNetLibUnsupported;
}

int PutFile(const std::string& url, const std::string& localFile) {
  return Http() != nullptr ? Http()->putFile(url.c_str(), localFile.c_str()) : kNetLibUnsupported;
}

int MakeCollection(const std::string& url, int* known) {
  *known = 1;
  return Http() != nullptr ? Http()->makeCollection(url.c_str(), known) : kNetLibUnsupported;
}

// Records error (when it is one) and returns the entry's result: 0 for success.
int32_t Outcome(int error) {
  if (error != kNetLibOk) g_lastError = error;
  return error == kNetLibOk ? 0 : 1;
}

bool IsNetworkUrl(const char* name) {
  return name != nullptr &&
         (strncasecmp(name, "http://", 7) == 0 || strncasecmp(name, "https://", 8) == 0) &&
         UrlSplit(name).hasAuthority;
}

// The error for a name that is not ours, or kNetLibOk.
int CheckName(const char* name) {
  if (name == nullptr || name[0] == '\0') return kNetLibBadArgument;
  return IsNetworkUrl(name) ? kNetLibOk : kNetLibNotNetworkName;
}

// Hands text out through *out: kNetLibOk, or kNetLibOutOfMemory.
int GiveText(const std::string& text, char** out) {
  *out = static_cast<char*>(std::malloc(text.size() + 1));
  if (*out == nullptr) return kNetLibOutOfMemory;
  std::memcpy(*out, text.c_str(), text.size() + 1);
  return kNetLibOk;
}

int32_t CachedCopy(const char* name, char** out) {
  if (out == nullptr) return Outcome(kNetLibBadArgument);
  *out = nullptr;
  if (const int error = CheckName(name); error != kNetLibOk) return Outcome(error);
  const std::optional<std::string> file = CacheFileFor(name);
  if (!file) return Outcome(kNetLibCacheError);
  // A miss answers the question and is no failure: the last error still says why an open that
  // falls back on the cache failed.
  if (!CacheFileExists(*file)) return 1;
  return Outcome(GiveText(*file, out));
}

std::string Encoded(const std::string& segment) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : segment) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
  return out;
}

// Sends folder to the collection url (ending in '/'): MKCOL, then every file and subfolder.
int UploadTree(const std::string& url, const std::string& folder) {
  int known = 1;
  const int made = MakeCollection(url, &known);
  // A server that does not know MKCOL may still make folders on PUT: the PUTs decide.
  if (made != kNetLibOk && known != 0) return made;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return kNetLibNoLocalCopy;
  int error = kNetLibOk;
  while (error == kNetLibOk) {
    const dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string local = folder + "/" + name;
    struct stat info;
    if (lstat(local.c_str(), &info) != 0) {
      error = kNetLibCacheError;
    } else if (S_ISDIR(info.st_mode)) {
      error = UploadTree(url + Encoded(name) + "/", local);
    } else if (S_ISREG(info.st_mode)) {
      error = PutFile(url + Encoded(name), local);
    }  // links and special files are not sent
  }
  closedir(dir);
  return error;
}

}  // namespace

// A question, not an operation: a local name is no failure and leaves the last error alone.
NETLIB_EXPORT int32_t NetLibIsNetFile(const char* name) {
  return CheckName(name) == kNetLibOk ? 0 : 1;
}

NETLIB_EXPORT int32_t NetLibStat(const char* name, uint32_t flags) {
  if (const int error = CheckName(name); error != kNetLibOk) return Outcome(error);
  if ((flags & kNetLibFlagCached) != 0) {
    const std::optional<std::string> file = CacheFileFor(name);
    if (file && CacheFileExists(*file)) return 0;
  }
  return Outcome(Head(name));
}

NETLIB_EXPORT int32_t NetLibOpen(const char* name, uint32_t flags, char** local) {
  if (local == nullptr) return Outcome(kNetLibBadArgument);
  *local = nullptr;
  if (const int error = CheckName(name); error != kNetLibOk) return Outcome(error);
  const std::optional<std::string> file = CacheFileFor(name);
  if (!file) return Outcome(kNetLibCacheError);
  if ((flags & kNetLibFlagCached) == 0 || !CacheFileExists(*file)) {
    if (const int error = Download(name, *file); error != kNetLibOk) return Outcome(error);
  }
  return Outcome(GiveText(*file, local));
}

NETLIB_EXPORT int32_t NetLibQueryCacheForPath(const char* name, char** local) {
  return CachedCopy(name, local);
}

NETLIB_EXPORT int32_t NetLibQueryCacheForURL(const char* url, char** local) {
  return CachedCopy(url, local);
}

NETLIB_EXPORT int32_t NetLibGetCacheFile(const char* name, char** local) {
  if (local == nullptr) return Outcome(kNetLibBadArgument);
  *local = nullptr;
  if (const int error = CheckName(name); error != kNetLibOk) return Outcome(error);
  const std::optional<std::string> file = CacheFileFor(name);
  if (!file || !CacheFileMakePrivate(*file)) return Outcome(kNetLibCacheError);
  return Outcome(GiveText(*file, local));
}

NETLIB_EXPORT int32_t NetLibSave(const char* name, uint32_t flags) {
  (void)flags;
  if (const int error = CheckName(name); error != kNetLibOk) return Outcome(error);
  const std::optional<std::string> file = CacheFileFor(name);
  if (!file) return Outcome(kNetLibCacheError);
  if (!CacheFileExists(*file)) return Outcome(kNetLibNoLocalCopy);
  return Outcome(PutFile(name, *file));
}

// second: the local file to send; null or empty sends the cached copy.
NETLIB_EXPORT int32_t NetLibPut(const char* name, const char* second) {
  if (second == nullptr || second[0] == '\0') return NetLibSave(name, 0);
  if (const int error = CheckName(name); error != kNetLibOk) return Outcome(error);
  return Outcome(PutFile(name, second));
}

// second: the local folder whose files and subfolders go to the collection name.
NETLIB_EXPORT int32_t NetLibUploadFolder(const char* name, const char* second) {
  if (const int error = CheckName(name); error != kNetLibOk) return Outcome(error);
  if (second == nullptr || second[0] == '\0') return Outcome(kNetLibBadArgument);
  std::string url = name;
  if (url.back() != '/') url += '/';
  return Outcome(UploadTree(url, second));
}

NETLIB_EXPORT int32_t NetLibGetAbsoluteURL(const char* base, const char* name, char** out) {
  if (out == nullptr || base == nullptr || name == nullptr) return Outcome(kNetLibBadArgument);
  *out = nullptr;
  const std::optional<std::string> url = UrlResolve(base, name);
  return Outcome(url ? GiveText(*url, out) : kNetLibBadUrl);
}

NETLIB_EXPORT int32_t NetLibGetRelativeURL(const char* base, const char* target, char** out) {
  if (out == nullptr || base == nullptr || target == nullptr) return Outcome(kNetLibBadArgument);
  *out = nullptr;
  const std::optional<std::string> url = UrlRelative(base, target);
  return Outcome(url ? GiveText(*url, out) : kNetLibBadUrl);
}

NETLIB_EXPORT int32_t NetLibCleanURL(const char* url, char** out) {
  if (out == nullptr || url == nullptr) return Outcome(kNetLibBadArgument);
  *out = nullptr;
  if (!UrlSplit(url).hasScheme) return Outcome(kNetLibBadUrl);
  return Outcome(GiveText(UrlClean(url), out));
}

NETLIB_EXPORT int32_t NetLibGetLastError() {
  return g_lastError;
}

NETLIB_EXPORT void NetLibFree(char* text) {
  std::free(text);
}
