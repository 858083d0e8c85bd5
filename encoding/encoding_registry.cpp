// The registry of alias names (IANA-style and traditional) for the encoding numbers, and the loose
// comparison through which names are looked up in it.
#include "encoding/encoding_id.h"

#include <iterator>

#include "strings/char_tables.h"

namespace {

struct RegistryRow {
  EncodingId id;     // the encoding number
  const char* name;  // an alias of it
  uint32_t flags;    // kEncNamePreferred on the preferred one of several
};

constexpr RegistryRow kRegistry[] = {
    {1, "ISO-8859-1", 0},
    {2, "US-ASCII", 0},
    {3, "windows-1252", 0},
    {3, "ANSI", 0},
    {4, "macintosh", 0},
    {4, "MacASCII", 0},
    {5, "JIS7", 0},
    {6, "Shift_JIS", 0},
    {7, "JIS8_EUC", 0},
    {7, "EUC-JP", kEncNamePreferred},
    {8, "Big5", 0},
    {9, "CNS_EUC", 0},
    {9, "EUC-TW", kEncNamePreferred},
    {9, "EUC-CNS", 0},
    {10, "GB8_EUC", 0},
    {10, "EUC-CN", kEncNamePreferred},
    {10, "GB", 0},
    {11, "HZ", 0},
    {12, "KSC8_EUC", 0},
    {12, "EUC-KR", kEncNamePreferred},
    {16, "UTF-8", 0},
    {17, "UTF-16", 0},
};
static_assert(std::size(kRegistry) == 22);

const char kEmptyName[] = "";

// The next byte of s that is a HostRoman letter or digit, or the terminator.
unsigned char NextSignificant(const unsigned char*& s) {
  while (*s != 0 && (CharClassTable[*s] & (kCharClassAlpha | kCharClassDigit)) == 0) ++s;
  return *s;
}

// The first row of id whose flags share a bit with mask (any row of id for mask 0), else the first
// row of id; null when id has none.
const RegistryRow* FindRow(EncodingId id, uint32_t mask) {
  const RegistryRow* first = nullptr;
  for (const RegistryRow& row : kRegistry) {
    if (row.id != id) continue;
    if (mask == 0 || (row.flags & mask) != 0) return &row;
    if (first == nullptr) first = &row;
  }
  return first;
}

}  // namespace

int EncCompareNamesLoose(const char* a, const char* b) {
  auto* pa = reinterpret_cast<const unsigned char*>(a != nullptr ? a : kEmptyName);
  auto* pb = reinterpret_cast<const unsigned char*>(b != nullptr ? b : kEmptyName);
  for (;;) {
    int ca = CaseUpperTable[NextSignificant(pa)];
    int cb = CaseUpperTable[NextSignificant(pb)];
    if (ca != cb || ca == 0) return ca - cb;
    ++pa;
    ++pb;
  }
}

EncodingId EncIdFromNameLoose(const char* name) {
  for (const RegistryRow& row : kRegistry)
    if (EncCompareNamesLoose(name, row.name) == 0) return row.id;
  return 0;
}

const char* EncNameForId(EncodingId id) {
  return EncNameForIdWithFlags(id, 0);
}

const char* EncPreferredNameForId(EncodingId id) {
  return EncNameForIdWithFlags(id, kEncNamePreferred);
}

const char* EncNameForIdWithFlags(EncodingId id, uint32_t mask) {
  const RegistryRow* row = FindRow(id, mask);
  return row != nullptr ? row->name : kEmptyName;
}
