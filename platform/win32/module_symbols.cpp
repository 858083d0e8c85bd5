// Symbol lookup in a loaded module on Windows, from the COFF symbol table that GNU linkers keep in
// a PE file unless it is stripped (Microsoft's linkers put symbols in a separate program database
// instead: such a module reads as stripped). The file is read through the platform's call table,
// so tests can refuse or cut it.
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/platform_calls.h"
#include "platform/win_module.h"

namespace {

constexpr size_t kSymbolSize = 18;   // one record of the COFF symbol table
constexpr size_t kSectionSize = 40;  // one section header
constexpr size_t kMaxSymbols = 1u << 24;

uint16_t U16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A file opened through the call table, closed on every path out.
struct File {
  int fd = -1;
  ~File() {
    if (fd >= 0) g_platformCalls.Close(fd);
  }
  bool Read(void* buffer, size_t bytes, uint64_t offset) const {
    return g_platformCalls.ReadAt(fd, buffer, bytes, static_cast<long long>(offset)) ==
           static_cast<long long>(bytes);
  }
};

// The relative address at which the module's file defines name, or 0.
uint32_t FindFileSymbol(const char* path, const char* name) {
  File file;
  file.fd = g_platformCalls.Open(path, 0, 0);
  if (file.fd < 0) return 0;
  unsigned char dos[64];
  if (!file.Read(dos, sizeof dos, 0) || dos[0] != 'M' || dos[1] != 'Z') return 0;
  const uint32_t pe = U32(dos + 0x3C);
  unsigned char header[24];
  if (!file.Read(header, sizeof header, pe) || std::memcmp(header, "PE\0\0", 4) != 0) return 0;
  const unsigned char* coff = header + 4;
  const uint16_t sectionCount = U16(coff + 2);
  const uint32_t symbolOffset = U32(coff + 8);
  const uint32_t symbolCount = U32(coff + 12);
  const uint16_t optionalSize = U16(coff + 16);
  if (symbolOffset == 0 || symbolCount == 0 || symbolCount > kMaxSymbols) return 0;  // stripped

  const size_t symbolBytes = size_t{symbolCount} * kSymbolSize;
  unsigned char sizeField[4];
  if (!file.Read(sizeField, 4, uint64_t{symbolOffset} + symbolBytes)) return 0;
  const uint32_t stringBytes = U32(sizeField);
  if (stringBytes < 4 || stringBytes > (1u << 28)) return 0;
  std::unique_ptr<unsigned char[]> table(new unsigned char[symbolBytes + stringBytes + 1]);
  if (!file.Read(table.get(), symbolBytes + stringBytes, symbolOffset)) return 0;
  table[symbolBytes + stringBytes] = 0;  // a string running off the table ends there
  const unsigned char* strings = table.get() + symbolBytes;

  const size_t nameLength = std::strlen(name);
  for (uint32_t i = 0; i < symbolCount; ++i) {
    const unsigned char* symbol = table.get() + size_t{i} * kSymbolSize;
    const unsigned auxiliary = symbol[17];
    const auto section = static_cast<int16_t>(U16(symbol + 12));
    bool same;
    if (U32(symbol) == 0) {  // a long name: an offset into the string table
      const uint32_t at = U32(symbol + 4);
      same = at >= 4 && at < stringBytes &&
             std::strcmp(reinterpret_cast<const char*>(strings + at), name) == 0;
    } else {  // up to eight bytes in place, padded with zeros
      same = nameLength <= 8 && std::memcmp(symbol, name, nameLength) == 0 &&
             (nameLength == 8 || symbol[nameLength] == 0);
    }
    if (same && section > 0 && section <= sectionCount) {
      unsigned char sectionHeader[kSectionSize];
      const uint64_t at = uint64_t{pe} + 24 + optionalSize + uint64_t(section - 1) * kSectionSize;
      if (!file.Read(sectionHeader, sizeof sectionHeader, at)) return 0;
      return U32(sectionHeader + 12) + U32(symbol + 8);  // VirtualAddress + Value
    }
    i += auxiliary;
  }
  return 0;
}

}  // namespace

void* ModuleSymbolAddress(HMODULE module, LPCSTR name) {
  if (name == nullptr || name[0] == '\0') return nullptr;
  char path[4096];
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return nullptr;
  const uint32_t address = FindFileSymbol(path, name);
  // A module's handle is its base address.
  return address == 0 ? nullptr : static_cast<char*>(module) + address;
}
