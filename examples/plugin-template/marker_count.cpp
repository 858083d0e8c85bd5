// A plug-in template: at start-up it asks for notification 2; for each document the host then
// reports, it counts the document's markers and shows the count in a host message box.
#include <cstdio>

#include "bridge/client_callbacks.h"
#include "bridge/client_state.h"
#include "bridge/host_calls.h"

namespace {

constexpr int32_t kStartedCode = 1;        // "Initialize" once the client is registered
constexpr int32_t kDocumentNotice = 2;     // a document is ready
constexpr int32_t kPropFirstMarker = 116;  // document: its first marker, 0 for none
constexpr int32_t kPropNextMarker = 1051;  // marker: the next one, 0 at the end
constexpr int32_t kMessageType = 2;        // the host's plain message box
constexpr int kMaxMarkers = 1000000;       // a host that loops its chain still lets us go

}  // namespace

// The callbacks keep the declared signatures exactly (bridge/client_callbacks.h); the build
// refuses one that differs. Those not defined here run the library's empty defaults.
void ClientInitialize(int32_t code) {
  if (code == kStartedCode) HostRequestNotification(kDocumentNotice, 1);
  // As a client program, the message loop ends here: set it whatever the code was.
  ClientStopped = 1;
}

void ClientNotify(int32_t notification, ObjectId document, const char*, int32_t) {
  if (notification != kDocumentNotice) return;
  int count = 0;
  for (ObjectId marker = HostGetId(document, document, kPropFirstMarker);
       marker != 0 && count < kMaxMarkers; marker = HostGetId(document, marker, kPropNextMarker)) {
    ++count;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%d marker%s", count, count == 1 ? "" : "s");
  HostShowMessage(text, kMessageType);
}
