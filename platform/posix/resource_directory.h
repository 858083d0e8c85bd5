// Reading a module's resource directory out of raw bytes, whether mapped in memory or read from
// the module's file. Every offset is checked against the bytes at hand: a damaged module makes a
// lookup fail, never read outside them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/posix/resource_format.h"
#include "platform/win_types.h"

struct ResourceBytes {
  const uint8_t* data;  // null when absent
  size_t size;          // bytes at data
};

// The resource directory among the ELF notes of one note segment whose notes are aligned to align
// bytes (4 or 8); {null, 0} when the segment holds none or is malformed.
ResourceBytes FindResourceNote(ResourceBytes notes, size_t align);
// The entry of directory whose type and name match (Windows' rules: integers from
// MAKEINTRESOURCEA or "#123", strings without regard to ASCII case); null when none or when the
// directory is malformed.
const ResourceEntry* FindResourceEntry(ResourceBytes directory, LPCSTR name, LPCSTR type);
// Whether entry is one of directory's entry records.
bool IsResourceEntry(ResourceBytes directory, const void* entry);
// The data of one of directory's entries; {null, 0} when it does not lie inside the directory.
ResourceBytes ResourceEntryData(ResourceBytes directory, const ResourceEntry* entry);
