// The connection's state.
#include "bridge/client_state.h"

HMODULE ClientModule = nullptr;
IUnknown* HostInterfaceTable[kHostInterfaceCount] = {};
int32_t SharedHostMemory = 0;
HostNotificationsC* ClientSink = nullptr;
IUnknown* ClientCompanion = nullptr;
int32_t ClientStopped = 0;
ConsoleHookFn ConsoleHook = nullptr;
int32_t ClientInitialised = 0;
HeldInitializes ClientHeldInitializes;
