// The library's empty client callbacks. They are weak, so that a plug-in's own definition of any
// of them is the one linked; keep them alone in this file, one definition per line starting with
// TANSEL_WEAK (the Windows build compiles each line on its own).
#include "bridge/client_callbacks.h"
#include "platform/symbols.h"

TANSEL_WEAK void ClientInitialize(int32_t) {}
TANSEL_WEAK void ClientCommand(int32_t) {}
TANSEL_WEAK void ClientMessage(intptr_t, int32_t, int32_t) {}
TANSEL_WEAK void ClientDialogEvent(int32_t, int32_t, int32_t) {}
TANSEL_WEAK void ClientNotify(int32_t, ObjectId, const char*, int32_t) {}
TANSEL_WEAK void ClientHtmlDialogEventEx(int32_t, void*, void*) {}
TANSEL_WEAK void ClientCmsCommand(int32_t, void*, int32_t, void*, CmsCommandResult*) {}
