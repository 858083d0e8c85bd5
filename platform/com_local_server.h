// Windows' calls for serving objects to other processes or apartments (a COM local server): the
// class factory registered with COM while the program runs, a timer that wakes its message loop,
// and interface pointers handed to another apartment. This platform's servers are modules instead
// (platform/com_creation.h), so only programs built for Windows use these.
#pragma once

#include "platform/com_creation.h"
#include "platform/com_stream.h"
#include "platform/win_message.h"

// CoRegisterClassObject's use: one registration serves every client that connects.
inline constexpr DWORD REGCLS_MULTIPLEUSE = 1;

TANSEL_SYSTEM_BEGIN
// Makes factory the class's object for other processes' CoCreateInstance until revoked; *cookie
// names the registration.
HRESULT WINAPI CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD context, DWORD use,
                                     DWORD* cookie);
HRESULT WINAPI CoRevokeClassObject(DWORD cookie);
// An interface pointer of the calling thread's apartment, packed for another apartment of the
// process, and unpacked there as a proxy (the stream is released).
HRESULT WINAPI CoMarshalInterThreadInterfaceInStream(REFIID iid, IUnknown* object,
                                                     IStream** stream);
HRESULT WINAPI CoGetInterfaceAndReleaseStream(IStream* stream, REFIID iid, void** out);
// Ends the process at once with code, as a crash would end it for its clients.
void WINAPI ExitProcess(UINT code);
TANSEL_SYSTEM_END
