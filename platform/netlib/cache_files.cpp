// The cache folder and the names of the copies in it.
#include "platform/netlib/cache_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/netlib/netlib_errors.h"
#include "platform/netlib/url_rules.h"

namespace {

// Creates every missing folder of path, readable by its owner only.
bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

uint64_t Fnv1a(const std::string& text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// The last path segment, decoded, with every byte outside [A-Za-z0-9._-] as '_'; at most 64 bytes.
std::string SafeLeaf(const std::string& cleanUrl) {
  const std::string path = UrlSplit(cleanUrl).path;
  std::string leaf = path.substr(path.rfind('/') + 1);
  std::string safe;
  for (size_t i = 0; i < leaf.size() && safe.size() < 64; ++i) {
    char c = leaf[i];
    if (c == '%' && i + 2 < leaf.size()) i += 2;  // an encoded byte becomes one '_'
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    safe += plain ? c : '_';
  }
  return safe;
}

}  // namespace

std::optional<std::string> CacheFolder() {
  std::string folder;
  if (const char* own = std::getenv(kNetLibCacheVariable); own != nullptr && own[0] != '\0') {
    folder = own;
  } else if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/') {
    folder = std::string(xdg) + "/tansel/netlib";
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    folder = std::string(home) + "/.cache/tansel/netlib";
  } else {
    return std::nullopt;
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (!MakeFolders(folder)) return std::nullopt;
  return folder;
}

std::optional<std::string> CacheFileFor(const std::string& url) {
  const std::optional<std::string> folder = CacheFolder();
  if (!folder) return std::nullopt;
  std::string key = UrlClean(url);
  key = key.substr(0, key.find('#'));
  static const char digits[] = "0123456789abcdef";
  std::string name(16, '0');
  uint64_t hash = Fnv1a(key);
  for (int i = 15; i >= 0; --i, hash >>= 4) name[i] = digits[hash & 15];
  const std::string leaf = SafeLeaf(key);
  return *folder + "/" + name + (leaf.empty() ? "" : "-" + leaf);
}

bool CacheFileMakePrivate(const std::string& path) {
  // Created here, owner-only, before anyone writes it: a platform open that creates the file
  // itself would take the process's umask, and a new file's contents are no one else's.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  struct stat info;
  const bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                  ((info.st_mode & 077) == 0 || fchmod(fd, info.st_mode & 0700) == 0);
  close(fd);
  return ok;
}

bool CacheFileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
