// Windows' file calls with their names, signatures and constants: opening, reading, writing and
// positioning a file through a handle, the process error mode, and temporary files.
//
// Names are host paths (a drive prefix and backslashes allowed); the stand-ins translate them to
// this system's paths. ANSI names are in the ANSI code page, UTF-8 on this platform.
#pragma once

#include "platform/win_types.h"

// Pointer types of the file calls' out-parameters.
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;

// The file calls' access, sharing, creation, attribute and origin values, their failure
// results, SetErrorMode's flag, the classic path limit and the handle that names no file.
inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;
inline constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
inline constexpr DWORD MAX_PATH = 260;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

TANSEL_SYSTEM_BEGIN
// Opens or creates the file name (UTF-16) with access GENERIC_READ and/or GENERIC_WRITE and the
// disposition CREATE_NEW, CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS or TRUNCATE_EXISTING; sharing,
// security, attributes and template are accepted and not used. A handle whose value fits in 32
// bits, or INVALID_HANDLE_VALUE (also for a directory or no access asked).
HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                          DWORD disposition, DWORD flags, HANDLE templateFile);
// Reads up to toRead bytes at the file position: TRUE with *read the bytes read (0 at the end),
// FALSE when the system failed (*read then counts what arrived before).
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                     OVERLAPPED* overlapped);
// Writes toWrite bytes at the file position: TRUE when all were written, else FALSE with
// *written the bytes that were.
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      OVERLAPPED* overlapped);
// Moves the file position by distance (with *distanceHigh as the high half when given; else a
// signed 32-bit distance) from FILE_BEGIN, FILE_CURRENT or FILE_END. The new position's low 32
// bits (high bits into *distanceHigh), or INVALID_SET_FILE_POINTER without moving when the target
// is negative, does not fit in 32 bits without distanceHigh, or the method is unknown.
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
// The file size's low 32 bits (high bits into *high when given), or INVALID_FILE_SIZE.
DWORD WINAPI GetFileSize(HANDLE file, LPDWORD high);
// Closes a file handle: TRUE, or FALSE for a handle that is not open.
BOOL WINAPI CloseHandle(HANDLE object);
// Sets the process error mode; returns the previous one.
UINT WINAPI SetErrorMode(UINT mode);
// Writes the temporary directory, ending in a separator, into buffer of length bytes: its length
// without the terminator, or the size it needs (terminator included) when it does not fit; 0 on
// failure.
DWORD WINAPI GetTempPathA(DWORD length, LPSTR buffer);
// Makes the name path\<prefix, 3 chars at most><hex number>.TMP in tempFileName (MAX_PATH bytes).
// With unique 0 the number is chosen so the file did not exist, and the file is created empty;
// otherwise unique is used and nothing is created. The number, or 0 on failure (a path longer
// than MAX_PATH - 14 bytes, or no file could be created).
UINT WINAPI GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName);
// Deletes the file name: TRUE, or FALSE when it could not.
BOOL WINAPI DeleteFileA(LPCSTR name);
TANSEL_SYSTEM_END
