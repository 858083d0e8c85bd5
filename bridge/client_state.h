// The library's connection with the host: one instance per loaded library, all zero at load, used
// only on the thread on which the host calls the client.
#pragma once

#include <cstdint>

#include "bridge/host_interfaces.h"

class HostNotificationsC;

// The function through which console output reaches the host console.
typedef int (*ConsoleHookFn)(const char* text);

extern HMODULE ClientModule;  // this library's module, from F_ApiClientInit
extern IUnknown* HostInterfaceTable[kHostInterfaceCount];  // one reference each; null = absent
extern int32_t SharedHostMemory;                           // 1: the client never frees host memory
extern HostNotificationsC* ClientSink;                     // the one notification sink, or null
extern IUnknown* ClientCompanion;  // the host's companion object, one reference
extern int32_t ClientStopped;      // 1 ends the client's message loops
extern ConsoleHookFn ConsoleHook;  // null until start-up installs HostConsoleWrite
extern int32_t ClientInitialised;  // 1 between start-up and the host's "Quit"

// A host out of process may call the client back during any of start-up's own calls (COM serves
// incoming calls while an outgoing one waits). "Initialize" arriving then is held, in order, and
// handed to the client once start-up is over: run earlier, it would meet a client not yet set up
// and see its ClientStopped undone by start-up's end, leaving a client program's loop waiting for
// a start that had already happened.
inline constexpr int kHeldInitializeLimit = 8;  // past it, "Initialize" runs at once as before
// The "Initialize" calls held while start-up runs.
struct HeldInitializes {
  int32_t starting = 0;  // 1 from the client's registration until start-up is over
  int count = 0;         // codes held
  int32_t codes[kHeldInitializeLimit] = {};  // their codes, in the order they came
};
extern HeldInitializes ClientHeldInitializes;  // the one record, empty outside start-up

// The table's entry for Interface, or null when the host does not offer it.
template <typename Interface>
Interface* HostInterface() {
  return static_cast<Interface*>(HostInterfaceTable[HostInterfaceTraits<Interface>::index]);
}
