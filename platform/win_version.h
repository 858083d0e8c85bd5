// Version resources, with Windows' names and contracts: reading a module file's version block by
// path and looking values up in it.
//
// A block is a tree of nodes, each a key with an optional value and child nodes: the root holds a
// VS_FIXEDFILEINFO, "StringFileInfo" holds one table per language and code page ("040904b0") whose
// children map keys to zero-terminated strings, and "VarFileInfo" holds the "Translation" array.
#pragma once

#include <cstddef>

#include "platform/win_module.h"
#include "platform/win_types.h"

// What VS_FIXEDFILEINFO's first two fields hold.
#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u

// The root value of a version block.
struct VS_FIXEDFILEINFO {
  DWORD dwSignature;         // VS_FFI_SIGNATURE
  DWORD dwStrucVersion;      // VS_FFI_STRUCVERSION
  DWORD dwFileVersionMS;     // file version, first two parts (high word first)
  DWORD dwFileVersionLS;     // file version, last two parts
  DWORD dwProductVersionMS;  // product version, first two parts
  DWORD dwProductVersionLS;  // product version, last two parts
  DWORD dwFileFlagsMask;     // which bits of dwFileFlags are meaningful
  DWORD dwFileFlags;         // debug, prerelease, ...
  DWORD dwFileOS;            // the operating system the file was built for
  DWORD dwFileType;          // application, library, ...
  DWORD dwFileSubtype;       // refines dwFileType
  DWORD dwFileDateMS;        // creation date, high half
  DWORD dwFileDateLS;        // creation date, low half
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52 && offsetof(VS_FIXEDFILEINFO, dwFileOS) == 32);

TANSEL_SYSTEM_BEGIN
// The size of the version block of the module file at path; 0 when the file cannot be read or
// holds no version resource. *handle (when not null) is set to 0.
DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle);
// Copies the version block of the module file at path into data (at most len bytes; a shorter
// buffer receives a truncated block that still reads consistently): nonzero on success, 0 when the
// file cannot be read or holds no version resource, data is null, or len is below 6 bytes (a
// node's header). handle is ignored.
BOOL WINAPI GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD len, LPVOID data);
// Looks subBlock up in a block from GetFileVersionInfoA. "\" gives the VS_FIXEDFILEINFO,
// "\VarFileInfo\Translation" the language and code-page pairs (len in bytes), and
// "\StringFileInfo\040904b0\<key>" the string (len in characters, counting the zero). Keys
// compare without regard to ASCII case; empty path components are skipped. Nonzero on success;
// on failure 0 with *buffer null and *len 0. The value lives inside block.
BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT len);
TANSEL_SYSTEM_END
