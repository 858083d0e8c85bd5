// Reading a resource directory: ELF note walking and the type and name rules of FindResourceA.
#include "platform/posix/resource_directory.h"

#include <bit>
#include <cstring>

#include "platform/win_module.h"

static_assert(std::endian::native == std::endian::little, "resources are stored little-endian");

namespace {

uint32_t Read32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint64_t AlignUp(uint64_t value, uint64_t align) {
  return (value + align - 1) & ~(align - 1);
}

struct Key {
  bool isInteger;    // an integer type or name
  uint32_t id;       // the integer when isInteger
  const char* text;  // the string otherwise
};

// "#123" names the integer 123, as in Windows' resource calls.
Key ParseKey(LPCSTR key) {
  if (IS_INTRESOURCE(key))
    return {true, static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(key)), nullptr};
  if (key[0] == '#' && key[1] != '\0') {
    uint32_t id = 0;
    const char* p = key + 1;
    while (*p >= '0' && *p <= '9' && id <= 0xFFFF) id = id * 10 + static_cast<uint32_t>(*p++ - '0');
    if (*p == '\0' && id <= 0xFFFF) return {true, id, nullptr};
  }
  return {false, 0, key};
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether the directory's name at offset (zero-terminated inside the directory) equals text.
bool NameMatches(ResourceBytes directory, uint32_t offset, const char* text) {
  if (offset >= directory.size) return false;
  const char* name = reinterpret_cast<const char*>(directory.data) + offset;
  const size_t room = directory.size - offset;
  size_t i = 0;
  for (; i < room && name[i] != '\0'; ++i) {
    if (Upper(name[i]) != Upper(text[i])) return false;
  }
  return i < room && text[i] == '\0';
}

bool KeyMatches(ResourceBytes directory, const Key& key, uint32_t id, uint32_t nameOffset) {
  if (key.isInteger) return nameOffset == 0 && id == key.id;
  return nameOffset != 0 && NameMatches(directory, nameOffset, key.text);
}

// The number of entries, or 0 when the header or the entry table does not fit.
uint32_t EntryCount(ResourceBytes directory) {
  if (directory.data == nullptr || directory.size < sizeof(ResourceDirectory)) return 0;
  if (Read32(directory.data) != kResourceMagic) return 0;
  const uint32_t count = Read32(directory.data + 4);
  const uint64_t table = sizeof(ResourceDirectory) + uint64_t{count} * sizeof(ResourceEntry);
  return table <= directory.size ? count : 0;
}

}  // namespace

ResourceBytes FindResourceNote(ResourceBytes notes, size_t align) {
  if (notes.data == nullptr || (align != 4 && align != 8)) return {nullptr, 0};
  uint64_t offset = 0;
  while (offset + kElfNoteHeaderSize <= notes.size) {
    const uint8_t* note = notes.data + offset;
    const uint32_t nameSize = Read32(note);
    const uint32_t descSize = Read32(note + 4);
    const uint32_t type = Read32(note + 8);
    const uint64_t descOffset = offset + AlignUp(kElfNoteHeaderSize + nameSize, align);
    if (descOffset + descSize > notes.size) break;
    if (nameSize == sizeof kResourceNoteOwner && type == kResourceNoteType &&
        std::memcmp(note + kElfNoteHeaderSize, kResourceNoteOwner, sizeof kResourceNoteOwner) ==
            0) {
      return {notes.data + descOffset, descSize};
    }
    offset = AlignUp(descOffset + descSize, align);
  }
  return {nullptr, 0};
}

const ResourceEntry* FindResourceEntry(ResourceBytes directory, LPCSTR name, LPCSTR type) {
  const Key nameKey = ParseKey(name);
  const Key typeKey = ParseKey(type);
  const uint32_t count = EntryCount(directory);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* record = directory.data + sizeof(ResourceDirectory) + i * sizeof(ResourceEntry);
    ResourceEntry entry;
    std::memcpy(&entry, record, sizeof entry);
    if (KeyMatches(directory, typeKey, entry.typeId, entry.typeName) &&
        KeyMatches(directory, nameKey, entry.nameId, entry.nameName)) {
      return reinterpret_cast<const ResourceEntry*>(record);
    }
  }
  return nullptr;
}

bool IsResourceEntry(ResourceBytes directory, const void* entry) {
  const uint32_t count = EntryCount(directory);
  // Compared as integers: entry may come from anywhere.
  const auto first = reinterpret_cast<uintptr_t>(directory.data) + sizeof(ResourceDirectory);
  const auto at = reinterpret_cast<uintptr_t>(entry);
  if (count == 0 || at < first || at >= first + count * sizeof(ResourceEntry)) return false;
  return (at - first) % sizeof(ResourceEntry) == 0;
}

ResourceBytes ResourceEntryData(ResourceBytes directory, const ResourceEntry* entry) {
  if (!IsResourceEntry(directory, entry)) return {nullptr, 0};
  ResourceEntry copy;
  std::memcpy(&copy, entry, sizeof copy);
  if (uint64_t{copy.offset} + copy.size > directory.size) return {nullptr, 0};
  return {directory.data + copy.offset, copy.size};
}
