// The client callbacks: one per host callback that the notification sink forwards. The library
// defines each one empty; a plug-in replaces any of them simply by defining its own.
//
// They have C linkage, so a definition with the right signature is the very function declared
// here, and one whose return type differs does not compile. One whose parameters differ would be a
// silent C++ overload that never runs: tansel_add_plugin and tansel_add_client refuse the module
// once it is linked, quoting the declaration below that the definition should have matched.
#pragma once

#include <cstdint>

#include "bridge/host_types.h"
#include "bridge/sink_interfaces.h"

extern "C" {

// "Initialize": the host's start-up code (1 once the client is registered).
void ClientInitialize(int32_t code);
// "Command": a command of the client's that the user chose.
void ClientCommand(int32_t command);
// "Message": a pointer-sized value and two integers, forwarded as the host sent them.
void ClientMessage(intptr_t value, int32_t first, int32_t second);
// "DialogEvent": three integers, forwarded as the host sent them.
void ClientDialogEvent(int32_t first, int32_t second, int32_t third);
// "Notify": the notification number, the object it concerns, the host's text (for notification 75
// a NotifyFieldRecord instead, see bridge/notify_fields.h; may be null) and an integer.
void ClientNotify(int32_t notification, ObjectId object, const char* text, int32_t value);
// "HtmlDialogEventEx": an integer and two pointers, forwarded as the host sent them.
void ClientHtmlDialogEventEx(int32_t code, void* first, void* second);
// "CMSCommand": fills result (zeroed beforehand; strings and arrays from the C heap, which the
// client keeps) for the host.
void ClientCmsCommand(int32_t command, void* data, int32_t count, void* extra,
                      CmsCommandResult* result);

}  // extern "C"
