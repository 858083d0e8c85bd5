// Loading the transfer module, once, from the folder this module was loaded from.
#include <dlfcn.h>

#include <string>

#include "platform/netlib/transfers.h"

namespace {

constexpr const char* kHttpModuleFile = "libtansel_netlib_http.so";

template <typename Fn>
bool Find(void* module, const char* name, Fn* entry) {
  *entry = reinterpret_cast<Fn>(dlsym(module, name));
  return *entry != nullptr;
}

bool Load(HttpTransfers* transfers) {
  Dl_info self;
  if (dladdr(reinterpret_cast<void*>(&HttpTransfersLoad), &self) == 0) return false;
  const std::string own = self.dli_fname;
  const std::string path = own.substr(0, own.rfind('/') + 1) + kHttpModuleFile;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    dlerror();
    return false;
  }
  // Kept for the life of the process, as the entries that use it are.
  return Find(module, "NetLibHttpDownload", &transfers->download) &&
         Find(module, "NetLibHttpHead", &transfers->head) &&
         Find(module, "NetLibHttpPutFile", &transfers->putFile) &&
         Find(module, "NetLibHttpMakeCollection", &transfers->makeCollection);
}

}  // namespace

const HttpTransfers* HttpTransfersLoad() {
  static HttpTransfers transfers;
  static const bool loaded = Load(&transfers);
  return loaded ? &transfers : nullptr;
}
