// Reading one resource out of a module file on disk, without loading the module.
#pragma once

#include "platform/win_types.h"

// Reads the resource of the given type and name from the module file at path into a new block
// from g_platformCalls.Malloc (freed with g_platformCalls.Free): the block, with *size set, or null
// when the file cannot be read, is not a 64-bit little-endian ELF file, or has no such resource.
void* ReadModuleFileResource(LPCSTR path, LPCSTR name, LPCSTR type, DWORD* size);
