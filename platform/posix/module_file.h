// Reading one resource out of a module file on disk, without loading the module.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

// Reads the resource of the given type and name from the module file at path into a new block
// from g_platformCalls.Malloc (freed with g_platformCalls.Free): the block, with *size set, or null
// when the file cannot be read, is not a 64-bit little-endian ELF file, or has no such resource.
void* ReadModuleFileResource(LPCSTR path, LPCSTR name, LPCSTR type, DWORD* size);

// The value of the defined symbol `name` in the full symbol table (.symtab, not only the exports)
// of the module file at path: its offset from the module's load address. 0 when the file has no
// symbol table (stripped) or no such symbol.
uint64_t FindModuleFileSymbol(LPCSTR path, LPCSTR name);

// Whether the module file at path names a library whose file name starts with prefix among the
// libraries it needs (DT_NEEDED). False when the file cannot be read or is not a 64-bit ELF file.
bool ModuleFileNeedsLibrary(LPCSTR path, LPCSTR prefix);
