// The COM run-time's apartments and connections, with Windows' names and contracts.
//
// Each thread that calls CoInitialize is a single-threaded apartment. A server in another
// apartment never holds a client's object directly: it holds a stub (below), which the runtime
// cuts when the client calls CoDisconnectObject. Creating objects is in platform/com_creation.h,
// calls between apartments and the message filter in platform/com_calls.h.
#pragma once

#include "platform/com_types.h"

// The run-time's failures: the object was disconnected, the thread never called
// CoInitialize, the object has no connection.
inline constexpr HRESULT RPC_E_DISCONNECTED = static_cast<HRESULT>(0x80010108);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
inline constexpr HRESULT CO_E_OBJNOTCONNECTED = static_cast<HRESULT>(0x800401FD);

TANSEL_SYSTEM_BEGIN
// Enters the calling thread into its apartment: S_OK for the thread's first call, S_FALSE when it
// is already in one. reserved must be null (E_INVALIDARG). Each successful call counts, and each
// is undone by one CoUninitialize.
HRESULT WINAPI CoInitialize(LPVOID reserved);
// Undoes one CoInitialize of the calling thread (nothing when there is none). The last one leaves
// the apartment: its message filter is revoked and the calls posted to it are discarded.
void WINAPI CoUninitialize();
TANSEL_SYSTEM_END
// How many CoInitialize calls of the calling thread are not yet undone (a diagnostic).
ULONG ComInitializeDepth();

TANSEL_SYSTEM_BEGIN
// Cuts every connection that callers in other apartments hold on the object (reserved must be
// 0): the runtime's references for their stubs are released, and calls through them fail with
// CO_E_OBJNOTCONNECTED. E_INVALIDARG for a null object.
HRESULT WINAPI CoDisconnectObject(IUnknown* object, DWORD reserved);
TANSEL_SYSTEM_END

// ---- Stubs: a server's hold on an object of another apartment ----

// Takes a reference on object for a holder in another apartment and gives its cookie.
// E_INVALIDARG for a null object or cookie.
HRESULT ComStubCreate(IUnknown* object, DWORD* cookie);
// The stub's object, asked for iid (one reference for the caller); CO_E_OBJNOTCONNECTED once
// its owner disconnected it or the cookie was released.
HRESULT ComStubQuery(DWORD cookie, REFIID iid, void** out);
// The holder is done: the runtime's reference is released (unless the owner cut it already) and
// the cookie is forgotten.
void ComStubRelease(DWORD cookie);
// Stubs not yet released by their holders (a diagnostic).
ULONG ComStubCount();
