// Modules and their resources, with Windows' names and contracts: loading a library, finding an
// exported function, the module's own file name, and the resources compiled into it.
//
// A module handle is what LoadLibraryA returns; a null handle means the main program. Handles that
// name no loaded module are refused (the call fails) rather than trusted. Resources are found in
// the loaded module's memory and stay valid while the module is loaded; nothing here is freed by
// the caller.
#pragma once

#include "platform/win_types.h"

// A loaded module (HINSTANCE is the same).
typedef void* HMODULE;
typedef HMODULE HINSTANCE;
typedef const void* HRSRC;            // a resource found in a module
typedef LONG_PTR(WINAPI* FARPROC)();  // an exported function, cast to its real type by the caller
typedef UINT* PUINT;                  // out-parameter of VerQueryValueA
typedef DWORD* LPDWORD;               // out-parameter of GetFileVersionInfoSizeA

// A resource type or name is either a string or a 16-bit integer carried in the pointer's value.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(r) ((reinterpret_cast<ULONG_PTR>(r) >> 16) == 0)

// Resource types (raw data, version) and the version resource's name.
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_VERSION MAKEINTRESOURCEA(16)
#define VS_VERSION_INFO 1

// GetModuleHandleExA's flags: keep the module loaded for good, leave its count alone,
// name it by an address inside it.
#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x1
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x2
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x4

TANSEL_SYSTEM_BEGIN
// Loads the library at path (made absolute first when it names a directory) and adds a
// reference; null when it cannot be loaded.
HMODULE WINAPI LoadLibraryA(LPCSTR path);
// Drops a reference taken by LoadLibraryA or GetModuleHandleExA: nonzero on success.
BOOL WINAPI FreeLibrary(HMODULE module);
// The address of the function or variable that module itself exports under name; null when the
// module is unknown or does not export it (names found only in its dependencies do not count).
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
// Finds a loaded module: by file name (null name: the main program), or with
// GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, the module whose image contains the address given as
// name. Adds a reference unless UNCHANGED_REFCOUNT is set. Nonzero on success; *module is null
// on failure.
BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module);
// Copies the module's full path into buffer: the length copied (without the zero) on success; a
// path that does not fit is cut to size - 1 bytes plus the zero and size is returned; 0 on
// failure (unknown module, size 0, null buffer).
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

// Finds the resource of the given type and name (strings compare without regard to ASCII case;
// "#123" stands for the integer 123); null when the module has none such.
HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
// The size in bytes of a resource found in module; 0 for an unknown resource.
DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
// A handle to the resource's data; null for an unknown resource.
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
// The address of the resource's data (read-only, owned by the module); null for a null handle.
LPVOID WINAPI LockResource(HGLOBAL data);
TANSEL_SYSTEM_END

// The stand-in for DbgHelp's SymFromName on a loaded module: the address of the symbol `name`
// that the module defines, exported or not, from its symbol table; null when the module is not
// loaded, was stripped of its symbols or does not define the name. For tools that inspect a
// plug-in; nothing in the library calls it.
void* ModuleSymbolAddress(HMODULE module, LPCSTR name);
