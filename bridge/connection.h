// The connection with the host: ending it in every mode, and the out-of-process client, which
// makes the host object by class, runs the client's entry on it and then its message loop, in
// which the host's callbacks arrive.
#pragma once

#include <cstdint>

#include "bridge/host_types.h"
#include "platform/com_calls.h"

// The host object's class unless "HOSTGUID" names another: {539DB5D0-C0C6-11D0-985E-0060970BEC0B}.
inline constexpr CLSID kDefaultHostClass = {
    0x539DB5D0, 0xC0C6, 0x11D0, {0x98, 0x5E, 0x00, 0x60, 0x97, 0x0B, 0xEC, 0x0B}};
inline constexpr char kHostClassVariable[] = "HOSTGUID";  // names another host class
inline constexpr int kHostTextWidth = 512;  // wide characters for a host name or class text
inline constexpr char ConnectFailureText[] =
    "Can't connect to host server";  // what a failed connection says

extern int32_t ClientComInitialised;            // 1: our own CoInitialize returned S_OK
extern IMessageFilter* InstalledMessageFilter;  // the filter the library registered, or null

// Releases every host interface in table order and nulls the table; if a sink is still recorded
// afterwards, disconnects it and undoes what HostConnect set up (filter, COM). Sets
// ClientStopped. Safe to re-enter from the sink's end.
void HostDisconnect();
// Connects to the host: 0 on success and when already connected; -20 (also in HostErrno) when no
// host object could be made; else F_ApiClientInit's failure, copied to HostErrno. A failed
// connection leaves no filter, COM initialisation or host interface of its own behind.
int32_t HostConnect(const ClientDescription* description, const char* hostName,
                    const CLSID* classId);
// Connects, runs the message loop until ClientStopped, disconnects: 0 after a run, 1 when the
// connection failed (ConnectFailureText then goes to standard error).
int32_t HostRunClient();
// Connects with the defaults: null on success, ConnectFailureText on failure.
const char* HostConnectStatus();
// Takes one message and dispatches it; the quit message sets ClientStopped. Sets *out (when
// given) to 0; returns 0.
int32_t PumpOneMessage(int32_t* out);
// Ends the message loop after the current message.
void StopClientLoop();
// 1 while HostApi is held, else 0.
int32_t HostIsConnected();
// Registers the library's message filter (recorded as InstalledMessageFilter) with the thread's
// apartment, without initialising COM: CoRegisterMessageFilter's answer, E_OUTOFMEMORY when the
// filter cannot be made.
HRESULT InstallMessageFilter();
// The host object of the class (given, else "HOSTGUID", else the default) on the named machine
// (null: this one), asked for HostApi; null when it cannot be made. Needs an apartment.
IUnknown* CreateHostObject(const char* hostName, const CLSID* classId);
