// Creating COM objects by class, with Windows' names and contracts, and the class registry that
// says which server module makes each class.
//
// A server module exports DllGetClassObject; the runtime loads it on first need (and keeps it
// loaded), asks it for the class's IClassFactory and lets the factory make the object. Classes
// are found first among those registered in code (ComRegisterServer), then in the registry file
// named by the environment variable TANSEL_COM_REGISTRY: one class per line, its identifier in
// braces, blanks, then the module's path ('#' starts a comment line).
//
// CoCreateInstanceEx is not declared here: as on Windows, callers that may run where it is
// missing look it up at run time by name in "ole32.dll" (GetProcAddress) as CoCreateInstanceExFn.
#pragma once

#include <cstddef>

#include "platform/com_types.h"

// Where an object may be made: in this process, in a server process, on another machine.
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_SERVER = 0x15;  // any of the three

// Creation's failures: no such class in the module, only some interfaces delivered, a
// server module that cannot be loaded or does not export DllGetClassObject.
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
inline constexpr HRESULT CO_S_NOTALLINTERFACES = static_cast<HRESULT>(0x00080012);
inline constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9);
// HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE): the named machine cannot be reached.
inline constexpr HRESULT kServerUnavailable = static_cast<HRESULT>(0x800706BA);

inline constexpr char kComRegistryVariable[] =
    "TANSEL_COM_REGISTRY";  // names the class registry file

// Where a remote object is made; only the name is read here.
struct COSERVERINFO {
  DWORD dwReserved1;  // 0
  LPWSTR pwszName;    // the machine's name; null for this one
  void* pAuthInfo;    // authentication; null for the default
  DWORD dwReserved2;  // 0
};
static_assert(sizeof(COSERVERINFO) == 32 && offsetof(COSERVERINFO, pwszName) == 8 &&
              offsetof(COSERVERINFO, pAuthInfo) == 16);

// One interface asked of CoCreateInstanceEx and its outcome.
struct MULTI_QI {
  const IID* pIID;  // the interface asked for
  IUnknown* pItf;   // the interface given (one reference), or null
  HRESULT hr;       // its outcome
};
static_assert(sizeof(MULTI_QI) == 24 && offsetof(MULTI_QI, pItf) == 8 &&
              offsetof(MULTI_QI, hr) == 16);

// {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// What a server module's DllGetClassObject hands out: the maker of one class's objects.
struct IClassFactory : IUnknown {
  // A new object of the class, asked for iid; CLASS_E_NOAGGREGATION for a non-null outer.
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                                   void** out) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;       // slot 4
};

// What a server module exports: the class object (factory) of clsid, asked for iid.
typedef HRESULT(WINAPI* DllGetClassObjectFn)(REFCLSID clsid, REFIID iid, void** out);
// CoCreateInstanceEx, as found in "ole32.dll": makes the object of clsid on the machine that
// server names (null or this machine: here) and asks it for count interfaces. S_OK when all were
// given, CO_S_NOTALLINTERFACES when some, else the failure (each entry's hr says its own).
typedef HRESULT(WINAPI* CoCreateInstanceExFn)(REFCLSID clsid, IUnknown* outer, DWORD context,
                                              COSERVERINFO* server, DWORD count, MULTI_QI* results);

TANSEL_SYSTEM_BEGIN
// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits of either case) into *clsid; any
// other text (no braces, a wrong length, a stray character) gives CO_E_CLASSSTRING and a zero
// *clsid. E_INVALIDARG for a null argument.
HRESULT WINAPI CLSIDFromString(LPCWSTR text, CLSID* clsid);
// Makes the object of clsid and asks it for iid. Needs an apartment (CO_E_NOTINITIALIZED);
// REGDB_E_CLASSNOTREG when no server is registered for the class, CO_E_DLLNOTFOUND when its
// module cannot be loaded, CO_E_ERRORINDLL when it exports no DllGetClassObject, else the
// server's own answer. *out is null on failure.
HRESULT WINAPI CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                                LPVOID* out);
TANSEL_SYSTEM_END

// Why CoCreateInstance(clsid, ...) answered hr, as one sentence in buffer (cut to size, always
// terminated), the way FormatMessage describes a system error; says which registry was read.
void ComDescribeCreationFailure(HRESULT hr, REFCLSID clsid, char* buffer, size_t size);
// True when name (UTF-16) names this machine: "localhost", "127.0.0.1", "." or its host name,
// in any case.
bool ComIsLocalMachine(LPCWSTR name);

// Registers, in code, the server module at path for clsid; it wins over the registry file.
// E_INVALIDARG for a null or empty path.
HRESULT ComRegisterServer(REFCLSID clsid, LPCSTR path);
// Withdraws what ComRegisterServer registered for clsid (S_FALSE when nothing was).
HRESULT ComRevokeServer(REFCLSID clsid);
