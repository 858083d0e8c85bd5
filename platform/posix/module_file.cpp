// A module file's resources read from disk: the ELF program headers, then the note segments, where
// the resource note lives. Reads go through the platform call table so that tests can refuse an
// open or cut a read short.
#include "platform/posix/module_file.h"

#include <elf.h>
#include <fcntl.h>

#include <cstring>
#include <vector>

#include "platform/platform_calls.h"
#include "platform/posix/resource_directory.h"

namespace {

// Note segments larger than this are not resource notes worth reading.
constexpr uint64_t kNoteSegmentLimit = 64u << 20;

struct File {
  int fd = -1;
  ~File() {
    if (fd >= 0) g_platformCalls.Close(fd);
  }
};

struct Block {
  void* data = nullptr;
  ~Block() {
    if (data != nullptr) g_platformCalls.Free(data);
  }
  void* Release() {
    void* kept = data;
    data = nullptr;
    return kept;
  }
};

// Reads exactly bytes bytes at offset, going on after short reads; false at the end of the file
// or on an error.
bool ReadExactly(int fd, void* buffer, uint64_t bytes, uint64_t offset) {
  auto* at = static_cast<char*>(buffer);
  while (bytes > 0) {
    const long long got = g_platformCalls.ReadAt(fd, at, bytes, static_cast<long long>(offset));
    if (got <= 0) return false;
    at += got;
    bytes -= static_cast<uint64_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

bool IsOurElf(const Elf64_Ehdr& header) {
  return std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
         header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_ident[EI_DATA] == ELFDATA2LSB &&
         header.e_phentsize == sizeof(Elf64_Phdr) && header.e_phnum != 0 &&
         header.e_phnum != PN_XNUM;
}

}  // namespace

void* ReadModuleFileResource(LPCSTR path, LPCSTR name, LPCSTR type, DWORD* size) {
  *size = 0;
  if (path == nullptr) return nullptr;
  File file;
  file.fd = g_platformCalls.Open(path, O_RDONLY | O_CLOEXEC, 0);
  if (file.fd < 0) return nullptr;
  Elf64_Ehdr header;
  if (!ReadExactly(file.fd, &header, sizeof header, 0) || !IsOurElf(header)) return nullptr;

  Block segments;
  const uint64_t tableSize = uint64_t{header.e_phnum} * sizeof(Elf64_Phdr);
  segments.data = g_platformCalls.Malloc(tableSize);
  if (segments.data == nullptr || !ReadExactly(file.fd, segments.data, tableSize, header.e_phoff)) {
    return nullptr;
  }
  for (unsigned i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr segment;
    std::memcpy(&segment, static_cast<char*>(segments.data) + i * sizeof segment, sizeof segment);
    if (segment.p_type != PT_NOTE || segment.p_filesz == 0 ||
        segment.p_filesz > kNoteSegmentLimit) {
      continue;
    }
    Block notes;
    notes.data = g_platformCalls.Malloc(segment.p_filesz);
    if (notes.data == nullptr ||
        !ReadExactly(file.fd, notes.data, segment.p_filesz, segment.p_offset)) {
      return nullptr;
    }
    const ResourceBytes directory =
        FindResourceNote({static_cast<const uint8_t*>(notes.data), segment.p_filesz},
                         segment.p_align < 4 ? 4 : segment.p_align);
    if (directory.data == nullptr) continue;
    const ResourceBytes found =
        ResourceEntryData(directory, FindResourceEntry(directory, name, type));
    if (found.data == nullptr) return nullptr;
    Block copy;
    copy.data = g_platformCalls.Malloc(found.size == 0 ? 1 : found.size);
    if (copy.data == nullptr) return nullptr;
    std::memcpy(copy.data, found.data, found.size);
    *size = static_cast<DWORD>(found.size);
    return copy.Release();
  }
  return nullptr;
}

uint64_t FindModuleFileSymbol(LPCSTR path, LPCSTR name) {
  if (path == nullptr || name == nullptr) return 0;
  File file;
  file.fd = g_platformCalls.Open(path, O_RDONLY | O_CLOEXEC, 0);
  if (file.fd < 0) return 0;
  Elf64_Ehdr header;
  if (!ReadExactly(file.fd, &header, sizeof header, 0) ||
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shnum == 0 || header.e_shnum > 4096) {
    return 0;
  }
  std::vector<Elf64_Shdr> sections(header.e_shnum);
  if (!ReadExactly(file.fd, sections.data(), header.e_shnum * sizeof(Elf64_Shdr), header.e_shoff)) {
    return 0;
  }
  const size_t nameLength = std::strlen(name);
  std::vector<char> probe(nameLength + 1);
  for (unsigned s = 0; s < header.e_shnum; ++s) {
    const Elf64_Shdr& table = sections[s];
    if (table.sh_type != SHT_SYMTAB || table.sh_link >= header.e_shnum ||
        table.sh_entsize != sizeof(Elf64_Sym)) {
      continue;
    }
    const Elf64_Shdr& strings = sections[table.sh_link];
    for (uint64_t i = 0; i < table.sh_size / sizeof(Elf64_Sym); ++i) {
      Elf64_Sym symbol;
      if (!ReadExactly(file.fd, &symbol, sizeof symbol, table.sh_offset + i * sizeof symbol)) {
        return 0;
      }
      if (symbol.st_shndx == SHN_UNDEF || symbol.st_name + nameLength + 1 > strings.sh_size ||
          !ReadExactly(file.fd, probe.data(), nameLength + 1, strings.sh_offset + symbol.st_name)) {
        continue;
      }
      if (std::memcmp(probe.data(), name, nameLength + 1) == 0) return symbol.st_value;
    }
  }
  return 0;
}

bool ModuleFileNeedsLibrary(LPCSTR path, LPCSTR prefix) {
  if (path == nullptr || prefix == nullptr) return false;
  File file;
  file.fd = g_platformCalls.Open(path, O_RDONLY | O_CLOEXEC, 0);
  if (file.fd < 0) return false;
  Elf64_Ehdr header;
  if (!ReadExactly(file.fd, &header, sizeof header, 0) ||
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shnum == 0 || header.e_shnum > 4096) {
    return false;
  }
  std::vector<Elf64_Shdr> sections(header.e_shnum);
  if (!ReadExactly(file.fd, sections.data(), header.e_shnum * sizeof(Elf64_Shdr), header.e_shoff)) {
    return false;
  }
  const size_t prefixLength = std::strlen(prefix);
  std::vector<char> probe(prefixLength);
  for (const Elf64_Shdr& table : sections) {
    if (table.sh_type != SHT_DYNAMIC || table.sh_link >= header.e_shnum ||
        table.sh_entsize != sizeof(Elf64_Dyn) || table.sh_size > (1u << 20)) {
      continue;
    }
    const Elf64_Shdr& strings = sections[table.sh_link];
    std::vector<Elf64_Dyn> entries(table.sh_size / sizeof(Elf64_Dyn));
    if (!ReadExactly(file.fd, entries.data(), entries.size() * sizeof(Elf64_Dyn),
                     table.sh_offset)) {
      return false;
    }
    for (const Elf64_Dyn& entry : entries) {
      if (entry.d_tag == DT_NULL) break;
      if (entry.d_tag != DT_NEEDED || entry.d_un.d_val + prefixLength > strings.sh_size) continue;
      if (ReadExactly(file.fd, probe.data(), prefixLength, strings.sh_offset + entry.d_un.d_val) &&
          std::memcmp(probe.data(), prefix, prefixLength) == 0) {
        return true;
      }
    }
  }
  return false;
}
