// A plug-in whose callback does not match its declaration. Each STRAY_* variant must fail to
// build: were it to build, the library's empty default would run in its place.
#include "bridge/client_callbacks.h"
#include "bridge/client_state.h"

#if defined(STRAY_PARAMETER_MISSING)
void ClientNotify(int32_t, ObjectId, const char*) {}
#elif defined(STRAY_TEXT_NOT_CONST)
void ClientNotify(int32_t, ObjectId, char*, int32_t) {}
#elif defined(STRAY_PARAMETER_TYPE)
void ClientCommand(int64_t) {}
#elif defined(STRAY_EXTRA_PARAMETER)
void ClientInitialize(int32_t, int32_t) {}
#elif defined(STRAY_CMS_RESULT)
void ClientCmsCommand(int32_t, void*, int32_t, void*, void*) {}
#elif defined(STRAY_RETURN_TYPE)
int ClientInitialize(int32_t) {
  return 0;
}
#else
void ClientInitialize(int32_t code) {
  ClientStopped = code == 1 ? 1 : 0;
}  // as declared: builds
#endif
