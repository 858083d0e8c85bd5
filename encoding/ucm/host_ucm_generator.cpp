// Build tool: writes the mapping tables (.ucm) of the host's five converters, which ICU's makeconv
// then compiles. HostRoman follows from its code page 1252 tables composed with ICU's windows-1252;
// the double-byte encodings take ICU's own converter of the same standard, restricted to the host's
// lead and trail bytes. Entries that hold in one direction only are written as such.
//
//   host_ucm_generator <directory>   writes host-*.ucm there
//   host_ucm_generator --package     prints the ICU data package name (the .cnv subdirectory)
#include <unicode/ucnv.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "strings/char_tables.h"

namespace {

using Bytes = std::string;

struct Mapping {
  UChar32 cp;     // the Unicode side
  Bytes bytes;    // the code page side
  int precision;  // 0 both ways, 3 to Unicode only, 1 or 4 from Unicode only
};

struct ByteRange {
  int first, last;  // inclusive
};

struct DoubleByteSpec {
  const char* name;    // our converter's name
  const char* source;  // ICU's converter for the same standard
  std::vector<ByteRange> lead;
  std::vector<ByteRange> trail;
};

bool InRanges(const std::vector<ByteRange>& ranges, int b) {
  for (const ByteRange& r : ranges)
    if (b >= r.first && b <= r.last) return true;
  return false;
}

// An ICU converter that stops at anything it cannot map, with fallbacks as asked.
struct Converter {
  UConverter* cnv = nullptr;
  Converter(const char* name, bool fallback) {
    UErrorCode error = U_ZERO_ERROR;
    cnv = ucnv_open(name, &error);
    if (U_FAILURE(error)) {
      std::fprintf(stderr, "cannot open ICU converter %s: %s\n", name, u_errorName(error));
      ucnv_close(cnv);
      cnv = nullptr;
      return;
    }
    ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    ucnv_setFromUCallBack(cnv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    ucnv_setFallback(cnv, fallback);
  }
  ~Converter() { ucnv_close(cnv); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // The one code point the bytes decode to, or -1.
  UChar32 ToUnicode(const Bytes& bytes) const {
    UChar units[8];
    UErrorCode error = U_ZERO_ERROR;
    ucnv_resetToUnicode(cnv);
    int32_t n =
        ucnv_toUChars(cnv, units, 8, bytes.data(), static_cast<int32_t>(bytes.size()), &error);
    if (U_FAILURE(error) || n == 0) return -1;
    UChar32 cp;
    int32_t i = 0;
    U16_NEXT(units, i, n, cp);
    return i == n ? cp : -1;
  }

  // The bytes the code point encodes to; empty when it has none.
  Bytes FromUnicode(UChar32 cp) const {
    UChar units[2];
    int32_t length = 0;
    UBool overflow = false;
    U16_APPEND(units, length, 2, cp, overflow);
    char out[8];
    UErrorCode error = U_ZERO_ERROR;
    ucnv_resetFromUnicode(cnv);
    int32_t n = ucnv_fromUChars(cnv, out, 8, units, length, &error);
    if (U_FAILURE(error) || overflow) return Bytes();
    return Bytes(out, static_cast<size_t>(n));
  }
};

std::string Hex(const Bytes& bytes) {
  std::string out;
  char piece[8];
  for (unsigned char b : bytes) {
    std::snprintf(piece, sizeof piece, "\\x%02X", b);
    out += piece;
  }
  return out;
}

bool WriteUcm(const std::string& directory, const char* name, const char* klass, int maxBytes,
              const Bytes& subchar, const std::vector<std::string>& states,
              std::vector<Mapping> mappings) {
  std::string path = directory + "/" + name + ".ucm";
  FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  std::fprintf(file, "# Generated at build time; the host's \"%s\" converter.\n", name);
  std::fprintf(file, "<code_set_name>  \"%s\"\n<mb_cur_max>  %d\n<mb_cur_min>  1\n", name,
               maxBytes);
  std::fprintf(file, "<uconv_class>  \"%s\"\n<subchar>  %s\n", klass, Hex(subchar).c_str());
  for (const std::string& state : states) std::fprintf(file, "<icu:state>  %s\n", state.c_str());
  std::fprintf(file, "CHARMAP\n");
  std::stable_sort(mappings.begin(), mappings.end(), [](const Mapping& a, const Mapping& b) {
    return a.cp != b.cp ? a.cp < b.cp : a.bytes < b.bytes;
  });
  for (const Mapping& m : mappings)
    std::fprintf(file, "<U%04X> %s |%d\n", static_cast<unsigned>(m.cp), Hex(m.bytes).c_str(),
                 m.precision);
  std::fprintf(file, "END CHARMAP\n");
  return std::fclose(file) == 0;
}

// HostRoman: byte → code page 1252 (RomanToAnsiTable) → Unicode, and Unicode → code page 1252 →
// byte (AnsiToRomanTable). Where the two paths agree the entry holds both ways.
bool WriteHostRoman(const std::string& directory) {
  Converter cp1252("windows-1252", false);
  if (cp1252.cnv == nullptr) return false;
  std::map<int, UChar32> toUnicode;    // HostRoman byte → code point
  std::map<UChar32, int> fromUnicode;  // code point → HostRoman byte
  for (int r = 0; r < 256; ++r) {
    int ansi = RomanToAnsiTable[r];
    if (ansi == 0 && r != 0) continue;  // no equivalent
    UChar32 cp = cp1252.ToUnicode(Bytes(1, static_cast<char>(ansi)));
    if (cp >= 0) toUnicode[r] = cp;
  }
  for (int ansi = 0; ansi < 256; ++ansi) {
    UChar32 cp = cp1252.ToUnicode(Bytes(1, static_cast<char>(ansi)));
    int r = AnsiToRomanTable[ansi];
    if (cp < 0 || (r == 0 && ansi != 0)) continue;
    if (cp1252.FromUnicode(cp) != Bytes(1, static_cast<char>(ansi))) continue;  // not 1252's own
    fromUnicode[cp] = r;
  }
  std::vector<Mapping> mappings;
  for (auto [r, cp] : toUnicode) {
    auto back = fromUnicode.find(cp);
    bool both = back != fromUnicode.end() && back->second == r;
    mappings.push_back({cp, Bytes(1, static_cast<char>(r)), both ? 0 : 3});
  }
  for (auto [cp, r] : fromUnicode) {
    auto there = toUnicode.find(r);
    if (there == toUnicode.end() || there->second != cp)
      mappings.push_back({cp, Bytes(1, static_cast<char>(r)), 4});
  }
  return WriteUcm(directory, "host-roman-windows", "SBCS", 1, "?", {}, mappings);
}

std::string RangeList(const std::vector<ByteRange>& ranges, const char* suffix) {
  std::string out;
  char piece[32];
  for (const ByteRange& r : ranges) {
    if (!out.empty()) out += ", ";
    if (r.first == r.last)
      std::snprintf(piece, sizeof piece, "%x%s", r.first, suffix);
    else
      std::snprintf(piece, sizeof piece, "%x-%x%s", r.first, r.last, suffix);
    out += piece;
  }
  return out;
}

bool WriteDoubleByte(const std::string& directory, const DoubleByteSpec& spec) {
  Converter exact(spec.source, false);
  Converter loose(spec.source, true);
  if (exact.cnv == nullptr || loose.cnv == nullptr) return false;

  // Our byte structure: every non-lead byte is a character by itself.
  std::vector<ByteRange> singles;
  for (int b = 0; b < 256; ++b) {
    if (InRanges(spec.lead, b)) continue;
    if (!singles.empty() && singles.back().last == b - 1)
      singles.back().last = b;
    else
      singles.push_back({b, b});
  }
  auto inStructure = [&](const Bytes& bytes) {
    if (bytes.size() == 1) return !InRanges(spec.lead, static_cast<unsigned char>(bytes[0]));
    return bytes.size() == 2 && InRanges(spec.lead, static_cast<unsigned char>(bytes[0])) &&
           InRanges(spec.trail, static_cast<unsigned char>(bytes[1]));
  };

  // The controls and DEL are the host's text structure and stay themselves both ways, whatever
  // the standard converter does with them (IBM's Shift-JIS swaps 1A, 1C and 7F).
  auto isControl = [](UChar32 c) { return c < 0x20 || c == 0x7F; };
  std::map<Bytes, UChar32> toUnicode;
  std::vector<Mapping> mappings;
  std::map<UChar32, bool> roundTrip;
  for (const ByteRange& r : singles)
    for (int b = r.first; b <= r.last; ++b) {
      Bytes bytes(1, static_cast<char>(b));
      if (isControl(b)) {
        mappings.push_back({b, bytes, 0});
        roundTrip[b] = true;
        continue;
      }
      UChar32 cp = exact.ToUnicode(bytes);
      if (cp >= 0 && !isControl(cp)) toUnicode[bytes] = cp;
    }
  for (int lead = 0; lead < 256; ++lead) {
    if (!InRanges(spec.lead, lead)) continue;
    for (int trail = 0; trail < 256; ++trail) {
      if (!InRanges(spec.trail, trail)) continue;
      Bytes bytes{static_cast<char>(lead), static_cast<char>(trail)};
      UChar32 cp = exact.ToUnicode(bytes);
      if (cp >= 0 && !isControl(cp)) toUnicode[bytes] = cp;
    }
  }

  for (const auto& [bytes, cp] : toUnicode) {
    bool both = exact.FromUnicode(cp) == bytes;
    mappings.push_back({cp, bytes, both ? 0 : 3});
    if (both) roundTrip[cp] = true;
  }

  // Mappings from Unicode only: what ICU's converter maps one way, kept when the bytes fit ours.
  UErrorCode error = U_ZERO_ERROR;
  USet* set = uset_openEmpty();
  ucnv_getUnicodeSet(loose.cnv, set, UCNV_ROUNDTRIP_AND_FALLBACK_SET, &error);
  bool ok = U_SUCCESS(error);
  int32_t ranges = ok ? uset_getItemCount(set) : 0;
  for (int32_t i = 0; i < ranges; ++i) {
    UChar32 start, end;
    error = U_ZERO_ERROR;
    if (uset_getItem(set, i, &start, &end, nullptr, 0, &error) != 0) continue;  // strings
    for (UChar32 cp = start; cp <= end; ++cp) {
      if (roundTrip.count(cp) != 0 || isControl(cp)) continue;
      Bytes bytes = exact.FromUnicode(cp);
      int precision = 4;  // one-way, used even without fallbacks
      if (bytes.empty()) {
        bytes = loose.FromUnicode(cp);
        precision = 1;
      }
      if (bytes.empty() || !inStructure(bytes)) continue;
      if (bytes.size() == 1 && isControl(static_cast<unsigned char>(bytes[0]))) continue;
      auto there = toUnicode.find(bytes);
      if (there != toUnicode.end() && there->second == cp) continue;
      mappings.push_back({cp, bytes, precision});
    }
  }
  uset_close(set);
  if (!ok) return false;

  char sub[8];
  int8_t subLength = sizeof sub;
  error = U_ZERO_ERROR;
  ucnv_getSubstChars(exact.cnv, sub, &subLength, &error);
  Bytes subchar = U_SUCCESS(error) ? Bytes(sub, static_cast<size_t>(subLength)) : Bytes("?");
  std::vector<std::string> states = {RangeList(singles, "") + ", " + RangeList(spec.lead, ":1"),
                                     RangeList(spec.trail, "")};
  return WriteUcm(directory, spec.name, "MBCS", 2, subchar, states, mappings);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--package") {
    std::printf("%s\n", U_ICUDATA_NAME);
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <directory> | --package\n", argv[0]);
    return 2;
  }
  // The lead and trail bytes are the host's dialog-encoding tables.
  const DoubleByteSpec doubleByte[] = {
      {"host-shift-jis", "Shift_JIS", {{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}}},
      {"host-ksc-5601", "EUC-KR", {{0xA1, 0xFE}}, {{0xA1, 0xFE}}},
      {"host-big5", "Big5", {{0xA1, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
      {"host-gb2312", "GBK", {{0x81, 0xFE}}, {{0x40, 0xFE}}},
  };
  std::string directory = argv[1];
  bool ok = WriteHostRoman(directory);
  for (const DoubleByteSpec& spec : doubleByte) ok = WriteDoubleByte(directory, spec) && ok;
  return ok ? 0 : 1;
}
