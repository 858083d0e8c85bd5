// The entries of NetLib, the network-file library that stands beside the host ("NetLib.dll"), as
// the library finds them: looked up by name once, at first use, through the platform's library
// loading. A missing module or entry leaves the table unusable and every Net… wrapper failing.
//
// Each entry returns a NetLibRet, 0 for success. Texts are NUL-terminated bytes in the current
// dialog encoding; a text NetLib hands out is released with its NetLibFree.
#pragma once

#include <cstdint>

// An entry's result (0 for success), and NetLibGetLastError's number.
typedef int32_t NetLibRet;
typedef int32_t NetLibErr;

extern "C" {
// The entries' types: whether NetLib claims a name; a name's state; its local copy; the cache
// queries; saving it back; sending a file or folder; two URLs made one; a URL cleaned; the last
// error; a text NetLib handed out given back.
typedef NetLibRet (*NetLibIsNetFileFn)(const char* name);
typedef NetLibRet (*NetLibStatFn)(const char* name, uint32_t flags);
typedef NetLibRet (*NetLibOpenFn)(const char* name, uint32_t flags, char** local);
typedef NetLibRet (*NetLibQueryFn)(const char* name, char** local);  // the cache queries
typedef NetLibRet (*NetLibSaveFn)(const char* name, uint32_t flags);
typedef NetLibRet (*NetLibSendFn)(const char* name, const char* second);  // Put, UploadFolder
typedef NetLibRet (*NetLibUrlPairFn)(const char* base, const char* other, char** out);
typedef NetLibRet (*NetLibCleanUrlFn)(const char* url, char** out);
typedef NetLibErr (*NetLibGetLastErrorFn)();
typedef void (*NetLibFreeFn)(char* text);
}

// The X-list of entries, in the order of NetLibEntries: X(field, exported name, type).
#define TANSEL_NETLIB_ENTRIES(X)                                 \
  X(isNetFile, "NetLibIsNetFile", NetLibIsNetFileFn)             \
  X(stat, "NetLibStat", NetLibStatFn)                            \
  X(open, "NetLibOpen", NetLibOpenFn)                            \
  X(queryCacheForPath, "NetLibQueryCacheForPath", NetLibQueryFn) \
  X(queryCacheForUrl, "NetLibQueryCacheForURL", NetLibQueryFn)   \
  X(getCacheFile, "NetLibGetCacheFile", NetLibQueryFn)           \
  X(save, "NetLibSave", NetLibSaveFn)                            \
  X(put, "NetLibPut", NetLibSendFn)                              \
  X(uploadFolder, "NetLibUploadFolder", NetLibSendFn)            \
  X(getAbsoluteUrl, "NetLibGetAbsoluteURL", NetLibUrlPairFn)     \
  X(getRelativeUrl, "NetLibGetRelativeURL", NetLibUrlPairFn)     \
  X(cleanUrl, "NetLibCleanURL", NetLibCleanUrlFn)                \
  X(getLastError, "NetLibGetLastError", NetLibGetLastErrorFn)    \
  X(free, "NetLibFree", NetLibFreeFn)

struct NetLibEntries {
// One field per entry, of the entry's type.
#define TANSEL_NETLIB_FIELD(field, name, type) type field;
  TANSEL_NETLIB_ENTRIES(TANSEL_NETLIB_FIELD)
#undef TANSEL_NETLIB_FIELD
};

// The module name under which NetLib is loaded.
inline constexpr const char* kNetLibModuleName = "NetLib.dll";

// The entries in use: loaded from kNetLibModuleName on the first call; null when the module or
// any entry is missing (then the next call does not try again).
const NetLibEntries* NetLibGetEntries();
// Uses entries (copied) instead of the module's from now on; null forgets the substitution and
// any earlier load, so that the next use loads the module again. For tests and embedders.
void NetLibSetEntries(const NetLibEntries* entries);
