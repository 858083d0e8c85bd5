// How resources sit in a module on this platform: the layout that the resource compiler writes and
// the module and version stand-ins read. Everything is little-endian; offsets are in bytes.
//
// A module's resources are one ELF note (owner "Tansel.rsrc", type kResourceNoteType) in an
// allocated note section, so that both a loaded module (through its PT_NOTE segments in memory)
// and a module file (through the same segments on disk) can find them. The note's descriptor is the
// resource directory:
//
//   ResourceDirectory, then count ResourceEntry records, then the names (zero-terminated,
//   upper case), then the data of each resource, each starting on a 4-byte boundary.
//
// A version resource (type 16) is a tree of nodes:
//
//   VersionNode header, key (zero-terminated), zeros to a 4-byte boundary, value (valueLength
//   bytes; a text value is zero-terminated and valueLength counts the zero), zeros to a 4-byte
//   boundary, children (each starting on a 4-byte boundary). length covers the header through the
//   end of the last child. Boundaries count from the start of the version resource.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr char kResourceNoteOwner[] = "Tansel.rsrc";  // 12 bytes with the zero
inline constexpr uint32_t kResourceNoteType = 1;
inline constexpr uint32_t kResourceMagic = 0x44535254;  // "TRSD"
inline constexpr size_t kElfNoteHeaderSize = 12;        // namesz, descsz, type

struct ResourceDirectory {
  uint32_t magic;  // kResourceMagic
  uint32_t count;  // ResourceEntry records that follow
};
static_assert(sizeof(ResourceDirectory) == 8);

struct ResourceEntry {
  uint32_t typeId;    // integer type, when typeName is 0
  uint32_t typeName;  // offset of the type's name in the directory, or 0 for an integer type
  uint32_t nameId;    // integer name, when nameName is 0
  uint32_t nameName;  // offset of the resource's name in the directory, or 0 for an integer name
  uint32_t offset;    // offset of the data in the directory
  uint32_t size;      // bytes of data
};
static_assert(sizeof(ResourceEntry) == 24 && offsetof(ResourceEntry, offset) == 16);

struct VersionNode {
  uint16_t length;       // bytes of the node with its children
  uint16_t valueLength;  // bytes of the value (a text value counts its zero); 0 for none
  uint16_t type;         // 1 for a text value, 0 for binary
};
static_assert(sizeof(VersionNode) == 6);

inline constexpr uint16_t kVersionText = 1;
inline constexpr uint16_t kVersionBinary = 0;
