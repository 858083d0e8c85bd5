// Network files through NetLib: small wrappers that test a name, call the NetLib entry, copy any
// text NetLib returns into the client's heap (giving NetLib's copy back) and report 0 for success
// or 1 for failure. When NetLib cannot be loaded every name is local and every wrapper fails.
//
// Error codes written to an error out-parameter: 0–19 are NetLib's own (taken over unchanged),
// 21 stands for any other NetLib value. Texts written to an out-parameter are new strings owned by
// the caller (MemFree). Nothing here touches HostErrno. Error outs may be null; text outs may not
// (a null one goes to MemBailOut).
#pragma once

inline constexpr int kNetErrorOther = 21;      // a NetLib error outside 0–19, in error outs
inline constexpr int kNetErrorCodeOther = 20;  // the same, from NetMapErrorCode

// 1 for null or a local name, 0 for a network name.
int NetIsLocalName(const char* name);
// 1 for a network name (one that NetLib claims), 0 otherwise.
int NetIsNetworkName(const char* name);

// Checks that the network file name is reachable (option 1: NetLib flag 16). 0 on success; 1 for
// a null or local name (error untouched) or a failure (error set).
int NetStat(const char* name, int option, int* error);
// NetStat with option 0 and with option 1.
int NetStatFile(const char* name, int* error);
int NetStatCached(const char* name, int* error);

// Makes the network file name available locally and writes its local file name to *local
// (option 1: NetLib flag 16); falls back to a copy already in the cache. 0 on success; 1 for a
// null or local name (outs untouched), or a failure (*local null, error set).
int NetOpenLocal(const char* name, char** local, int option, int* error);
// NetOpenLocal with option 0.
int NetOpenLocalFile(const char* name, char** local, int* error);
// NetOpenLocal with option 1: what a channel opening a network file uses.
int NetOpenCachedLocal(const char* name, char** local, int* error);
// NetOpenLocal with option 0 (or 1), the error passed through NetMapErrorCode.
int NetOpenLocalMapped(const char* name, char** local, int* error);
int NetOpenCachedLocalMapped(const char* name, char** local, int* error);

// The local cache file to use for the network file name (also one that does not exist yet): 0
// with *local set; 1 with *local null on failure; 1 with *local untouched for a null or local name.
int NetGetCacheFileName(const char* name, char** local);
// The cached copy of the network file name, as NetGetCacheFileName.
int NetCacheFileForPath(const char* name, char** local);
// The cached copy of url; NetLib is asked for any non-null text. 1 for null.
int NetCacheFileForUrl(const char* url, char** local);
// NetLib's cleaned form of the network name url, as NetGetCacheFileName.
int NetCleanUrl(const char* url, char** out);
// The absolute URL of name taken relative to the network name base; 1 when base is not a network
// name or name is null.
int NetResolveUrl(const char* base, const char* name, char** out);
// The URL of target relative to base; both must be network names.
int NetRelativeUrl(const char* base, const char* target, char** out);

// Sends the local cache copy of the network file name back to its server: 0, or 1.
int NetSaveFile(const char* name);
// NetLib's put of the network file name; second passes through unchanged. 0, or 1.
int NetPutFile(const char* name, const char* second);
// NetLib's upload of the folder behind the network name; second passes through unchanged.
int NetUploadFolder(const char* name, const char* second);

// NetLib's last error: 0–19 unchanged, anything else 21.
int NetMapError();
// 0–19 unchanged, anything else 20.
int NetMapErrorCode(int error);
