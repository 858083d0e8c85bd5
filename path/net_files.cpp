// The Net… wrappers: one calling pattern around each NetLib entry. NetLib's texts are copied into
// the client's heap and given back at once; its errors are read right after the failing call.
#include "path/net_files.h"

#include "path/netlib_entries.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

namespace {

void SetError(int* error, int value) {
  if (error != nullptr) *error = value;
}

// Copies NetLib's text into *out and gives NetLib's copy back; false (and *out null) when there
// is no text or the copy fails.
bool TakeText(const NetLibEntries* net, char* text, char** out) {
  *out = text != nullptr ? StrCopyNew(text) : nullptr;
  if (text != nullptr) net->free(text);
  return *out != nullptr;
}

// The entries, when name is a network name; null otherwise.
const NetLibEntries* ForNetworkName(const char* name) {
  const NetLibEntries* net = NetLibGetEntries();
  if (net == nullptr || name == nullptr || net->isNetFile(name) != 0) return nullptr;
  return net;
}

void RequireOut(void* out) {
  if (out == nullptr) MemBailOut();
}

// The outcome of an entry that answers with a text: 0 with *out set, else 1 with *out null.
int TakeResult(const NetLibEntries* net, NetLibRet result, char* text, char** out) {
  if (result != 0) {
    if (text != nullptr) net->free(text);
    *out = nullptr;
    return 1;
  }
  return TakeText(net, text, out) ? 0 : 1;
}

int QueryText(const NetLibEntries* net, NetLibQueryFn entry, const char* name, char** out) {
  char* text = nullptr;
  const NetLibRet result = entry(name, &text);
  return TakeResult(net, result, text, out);
}

}  // namespace

int NetMapErrorCode(int error) {
  return error >= 0 && error <= 19 ? error : kNetErrorCodeOther;
}

int NetMapError() {
  const NetLibEntries* net = NetLibGetEntries();
  if (net == nullptr) return kNetErrorOther;
  const NetLibErr error = net->getLastError();
  return error >= 0 && error <= 19 ? error : kNetErrorOther;
}

int NetIsNetworkName(const char* name) {
  return ForNetworkName(name) != nullptr ? 1 : 0;
}

int NetIsLocalName(const char* name) {
  return NetIsNetworkName(name) != 0 ? 0 : 1;
}

int NetStat(const char* name, int option, int* error) {
  const NetLibEntries* net = ForNetworkName(name);
  if (net == nullptr) return 1;
  SetError(error, 0);
  if (net->stat(name, option == 1 ? 16u : 0u) == 0) return 0;
  SetError(error, NetMapError());
  return 1;
}

int NetStatFile(const char* name, int* error) {
  return NetStat(name, 0, error);
}

int NetStatCached(const char* name, int* error) {
  return NetStat(name, 1, error);
}

int NetOpenLocal(const char* name, char** local, int option, int* error) {
  RequireOut(local);
  const NetLibEntries* net = ForNetworkName(name);
  if (net == nullptr) return 1;
  SetError(error, 0);
  char* text = nullptr;
  if (net->open(name, option == 1 ? 16u : 0u, &text) == 0) {
    if (TakeText(net, text, local)) return 0;
  } else if (text != nullptr) {
    net->free(text);
  }
  if (QueryText(net, net->queryCacheForPath, name, local) == 0) return 0;
  SetError(error, NetMapError());
  *local = nullptr;
  return 1;
}

int NetOpenLocalFile(const char* name, char** local, int* error) {
  return NetOpenLocal(name, local, 0, error);
}

int NetOpenCachedLocal(const char* name, char** local, int* error) {
  return NetOpenLocal(name, local, 1, error);
}

int NetOpenLocalMapped(const char* name, char** local, int* error) {
  const int result = NetOpenLocal(name, local, 0, error);
  if (error != nullptr) *error = NetMapErrorCode(*error);
  return result;
}

int NetOpenCachedLocalMapped(const char* name, char** local, int* error) {
  const int result = NetOpenLocal(name, local, 1, error);
  if (error != nullptr) *error = NetMapErrorCode(*error);
  return result;
}

int NetGetCacheFileName(const char* name, char** local) {
  RequireOut(local);
  const NetLibEntries* net = ForNetworkName(name);
  return net != nullptr ? QueryText(net, net->getCacheFile, name, local) : 1;
}

int NetCacheFileForPath(const char* name, char** local) {
  RequireOut(local);
  const NetLibEntries* net = ForNetworkName(name);
  return net != nullptr ? QueryText(net, net->queryCacheForPath, name, local) : 1;
}

int NetCacheFileForUrl(const char* url, char** local) {
  RequireOut(local);
  const NetLibEntries* net = NetLibGetEntries();
  if (url == nullptr || net == nullptr) return 1;
  return QueryText(net, net->queryCacheForUrl, url, local);
}

int NetCleanUrl(const char* url, char** out) {
  RequireOut(out);
  const NetLibEntries* net = ForNetworkName(url);
  return net != nullptr ? QueryText(net, net->cleanUrl, url, out) : 1;
}

int NetResolveUrl(const char* base, const char* name, char** out) {
  RequireOut(out);
  const NetLibEntries* net = ForNetworkName(base);
  if (net == nullptr || name == nullptr) return 1;
  char* text = nullptr;
  const NetLibRet result = net->getAbsoluteUrl(base, name, &text);
  return TakeResult(net, result, text, out);
}

int NetRelativeUrl(const char* base, const char* target, char** out) {
  RequireOut(out);
  const NetLibEntries* net = ForNetworkName(base);
  if (net == nullptr || ForNetworkName(target) == nullptr) return 1;
  char* text = nullptr;
  const NetLibRet result = net->getRelativeUrl(base, target, &text);
  return TakeResult(net, result, text, out);
}

int NetSaveFile(const char* name) {
  const NetLibEntries* net = ForNetworkName(name);
  return net != nullptr && net->save(name, 0) == 0 ? 0 : 1;
}

int NetPutFile(const char* name, const char* second) {
  const NetLibEntries* net = ForNetworkName(name);
  return net != nullptr && net->put(name, second) == 0 ? 0 : 1;
}

int NetUploadFolder(const char* name, const char* second) {
  const NetLibEntries* net = ForNetworkName(name);
  return net != nullptr && net->uploadFolder(name, second) == 0 ? 0 : 1;
}
