// Plug-ins with one fault each, chosen by FAULT_*, that the validation battery must catch.
#include "bridge/client_callbacks.h"
#include "bridge/client_state.h"
#include "bridge/host_calls.h"
#include "strings/memory.h"

#if defined(FAULT_LEAKS_REFERENCE)
// Takes a reference on the host it never gives back.
void ClientInitialize(int32_t) {
  if (IUnknown* host = HostInterface<HostApi>()) host->AddRef();
  ClientStopped = 1;
}
#elif defined(FAULT_RAISES)
// Breaks an invariant on a document notification: the fatal error leaves "Notify".
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char*, int32_t) {
  if (notification == 2) MemBailOut();
}
#elif defined(FAULT_CALLS_LATE)
// Keeps the first host's interface and calls it again from the next session.
namespace {
HostApi* first = nullptr;
}  // namespace
void ClientInitialize(int32_t) {
  if (first == nullptr) {
    first = HostInterface<HostApi>();
  } else {
    int32_t code = 0;
    first->SetNotification(2, 1, &code);
  }
  ClientStopped = 1;
}
#elif defined(FAULT_NEVER_STOPS)
// Works, but a client program built from it would run its message loop forever.
void ClientInitialize(int32_t code) {
  if (code == 1) HostRequestNotification(2, 1);
}
#endif
