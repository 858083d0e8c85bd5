// The plug-in's own behaviour: at start-up it asks for notification 2; on each one, it shows the
// text of the document's first "Tansel" marker in a host message box. It keeps no state: every
// notification is handled from scratch.
#include <cstdint>

#include "bridge/client_callbacks.h"
#include "bridge/client_state.h"
#include "bridge/host_calls.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

namespace {

constexpr int32_t kStartedCode = 1;          // "Initialize" once the client is registered
constexpr int32_t kDocumentNotice = 2;       // the notification the plug-in works on
constexpr int32_t kPropSearchEnabled = 110;  // document: the search runs only when it is 1
constexpr int32_t kPropFirstMarker = 116;    // document: first marker, 0 for none
constexpr int32_t kPropMarkerType = 20;      // marker: its type name
constexpr int32_t kPropMarkerText = 1050;    // marker: its text
constexpr int32_t kPropNextMarker = 1051;    // marker: next marker of the document, 0 at the end
constexpr int32_t kMessageType = 2;          // the message box the text is shown in
constexpr char kMarkerType[] = "Tansel";

}  // namespace

void ClientInitialize(int32_t code) {
  if (code != kStartedCode) return;
  HostRequestNotification(kDocumentNotice, 1);  // a refusal leaves nothing to do differently
  ClientStopped = 1;
}

void ClientCommand(int32_t) {}

// A failing host call reads as 0 or a null string, which ends the walk or fails the comparison.
void ClientNotify(int32_t notification, ObjectId document, const char*, int32_t) {
  if (notification != kDocumentNotice) return;
  if (HostGetInt(document, document, kPropSearchEnabled) != 1) return;
  for (ObjectId marker = HostGetId(document, document, kPropFirstMarker); marker != 0;
       marker = HostGetId(document, marker, kPropNextMarker)) {
    char* type = HostGetString(document, marker, kPropMarkerType);
    const bool matches = StrEqual(type, kMarkerType) != 0;
    MemFree(type);
    if (matches) {
      char* text = HostGetString(document, marker, kPropMarkerText);
      HostShowMessage(text, kMessageType);  // shown even when the text is empty or null
      MemFree(text);
      return;
    }
  }
}
