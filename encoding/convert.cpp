// EncConvert and EncConvertRun: runs of text through ICU converters, control units between them.
//
// Converters are opened once per name and kept: opening one costs far more than converting a short
// run, and text with a control every few dozen bytes has many runs. Each run starts from a reset
// converter, so every run converts exactly as with a freshly opened one. The working buffers are
// kept between calls too (up to a limit), and grow when ICU asks for more room (an escape writes
// four units per undecodable byte, stateful encodings add shifts), so no run is lost to a fixed
// estimate. The result is a copy of exactly the converted bytes.
#include "encoding/convert.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <cstring>

#include "strings/memory.h"
#include "strings/utf8.h"

namespace {

constexpr char kUtf16[] = "UTF-16";
constexpr char kUtf8[] = "UTF-8";
constexpr char kLocale[] = "locale";

bool Same(const char* a, const char* b) {
  return std::strcmp(a, b) == 0;
}

bool IsEmptyName(const char* name) {
  return name == nullptr || name[0] == '\0';
}

// ---- Results ----

// A new block of size bytes followed by two zero bytes.
char* NewResult(const void* data, size_t size) {
  auto* result = static_cast<char*>(MemAlloc(size + 2, kMemFatal));
  if (size > 0) std::memcpy(result, data, size);
  result[size] = result[size + 1] = '\0';
  return result;
}

char* EmptyResult() {
  return NewResult(nullptr, 0);
}

char* ByteCopy(const char* text) {
  return NewResult(text, std::strlen(text));
}

char* UnitCopy(const char* text) {
  return NewResult(text, sizeof(char16_t) * u_strlen(reinterpret_cast<const UChar*>(text)));
}

// ---- Growable buffers ----

struct Buffer {
  char* data = nullptr;  // MemAlloc'd, fatal on failure
  size_t length = 0;     // bytes used
  size_t capacity = 0;   // bytes allocated
};

void Reserve(Buffer& buffer, size_t needed) {
  if (needed <= buffer.capacity) return;
  size_t capacity = buffer.capacity * 2 > needed ? buffer.capacity * 2 : needed;
  buffer.data = static_cast<char*>(MemRealloc(buffer.data, capacity, kMemFatal));
  buffer.capacity = capacity;
}

void Append(Buffer& buffer, const void* data, size_t size) {
  Reserve(buffer, buffer.length + size);
  std::memcpy(buffer.data + buffer.length, data, size);
  buffer.length += size;
}

// ---- Working buffers, kept between calls ----

struct Units {
  UChar* data = nullptr;
  size_t capacity = 0;  // units
};

void ReserveUnits(Units& units, size_t needed) {
  if (needed <= units.capacity) return;
  size_t capacity = units.capacity * 2 > needed ? units.capacity * 2 : needed;
  units.data = static_cast<UChar*>(MemRealloc(units.data, capacity * sizeof(UChar), kMemFatal));
  units.capacity = capacity;
}

constexpr size_t kKeptBytes = 8 << 20;  // larger working buffers are given back after the call

Buffer g_output;  // the converted text of the call in progress
Units g_scratch;  // the UTF-16 of the run in progress

// Empties the working buffers, freeing them when they grew past what is worth keeping.
void ReleaseWork() {
  g_output.length = 0;
  if (g_output.capacity > kKeptBytes) {
    MemFree(g_output.data);
    g_output = Buffer();
  }
  if (g_scratch.capacity * sizeof(UChar) > kKeptBytes) {
    MemFree(g_scratch.data);
    g_scratch = Units();
  }
}

// The output as a new result ending in two zero bytes.
char* Finish(const Buffer& buffer) {
  char* result = NewResult(buffer.data, buffer.length);
  ReleaseWork();
  return result;
}

// ---- The converter cache ----

enum class Role { kSource, kTarget };

struct CachedConverter {
  Role role;              // source converters have fallbacks on and a chosen to-Unicode callback
  char name[64];          // the ICU name it was opened with (the default's name for "locale")
  UConverter* converter;  // null: the slot is free
  bool escaping;          // source only: the escape callback is installed
  int plain[2];           // source only: PlainLevel with the substitute and the escape callback,
                          // -1 while not yet known
};

constexpr int kCacheSize = 12;
CachedConverter g_cache[kCacheSize];
int g_cacheNext = 0;  // the slot replaced next when all are taken

// The kept converter for name (null: the platform default), or null when ICU cannot open it. A new
// one never takes the slot of keep, which the caller is still using.
UConverter* Converter(const char* name, Role role, bool escape, const UConverter* keep) {
  const char* key = name != nullptr ? name : ucnv_getDefaultName();
  if (std::strlen(key) >= sizeof g_cache[0].name) return nullptr;
  CachedConverter* slot = nullptr;
  for (CachedConverter& entry : g_cache) {
    if (entry.converter != nullptr && entry.role == role && Same(entry.name, key)) {
      slot = &entry;
      break;
    }
  }
  if (slot == nullptr) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &error);
    if (U_FAILURE(error)) {
      ucnv_close(converter);
      return nullptr;
    }
    if (role == Role::kSource) ucnv_setFallback(converter, true);
    if (keep != nullptr && g_cache[g_cacheNext].converter == keep)
      g_cacheNext = (g_cacheNext + 1) % kCacheSize;
    slot = &g_cache[g_cacheNext];
    g_cacheNext = (g_cacheNext + 1) % kCacheSize;
    ucnv_close(slot->converter);
    *slot = CachedConverter{role, {}, converter, false, {-1, -1}};
    std::strcpy(slot->name, key);
  }
  if (role == Role::kSource && slot->escaping != escape) {
    UErrorCode error = U_ZERO_ERROR;
    // The escape callback's default format writes "%X" and two hex digits per byte.
    ucnv_setToUCallBack(slot->converter,
                        escape ? UCNV_TO_U_CALLBACK_ESCAPE : UCNV_TO_U_CALLBACK_SUBSTITUTE, nullptr,
                        nullptr, nullptr, &error);
    if (U_FAILURE(error)) return nullptr;
    slot->escaping = escape;
  }
  return slot->converter;
}

// The units converter makes of the n bytes at bytes on their own, into out (room for 8); -1 when
// ICU reports an error or they need more room.
int UnitsOf(UConverter* converter, const char* bytes, int n, UChar* out) {
  const char* read = bytes;
  UChar* write = out;
  UErrorCode error = U_ZERO_ERROR;
  ucnv_resetToUnicode(converter);
  ucnv_toUnicode(converter, &write, out + 8, &read, bytes + n, nullptr, true, &error);
  return U_SUCCESS(error) ? static_cast<int>(write - out) : -1;
}

// How freely a source converter may be given controls inside a run, with its callback as set:
// 0 never; 1 after an ASCII byte; 2 after any byte. 1 takes a stateless byte-table converter of at
// most two bytes per character that reads every byte from 01 to 7F alone as that same unit: it
// then stands between characters before a control that follows an ASCII byte (a character ends
// there) and after it, exactly as when the text is cut into runs there. 2 takes besides that every
// byte from 80 up followed by a control to convert as the byte alone and then the control, so that
// a control after a lead byte reads as the end of a run does there.
int PlainLevel(UConverter* converter) {
  switch (ucnv_getType(converter)) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_US_ASCII:
      break;
    default:
      return 0;
  }
  if (ucnv_getMaxCharSize(converter) > 2) return 0;
  UChar alone[8], pair[8];
  int level = 2;
  for (int byte = 1; byte < 0x80 && level > 0; ++byte) {
    char in = static_cast<char>(byte);
    if (UnitsOf(converter, &in, 1, alone) != 1 || alone[0] != byte) level = 0;
  }
  for (int byte = 0x80; byte < 0x100 && level == 2; ++byte) {
    char in[2] = {static_cast<char>(byte), 0};
    int n = UnitsOf(converter, in, 1, alone);
    for (int control = 1; control < 0x20 && level == 2; ++control) {
      in[1] = static_cast<char>(control);
      int m = UnitsOf(converter, in, 2, pair);
      if (n < 0 || m != n + 1 || std::memcmp(pair, alone, sizeof(UChar) * n) != 0 ||
          pair[n] != control)
        level = 1;
    }
  }
  ucnv_resetToUnicode(converter);
  return level;
}

// PlainLevel of a kept source converter with its callback as set, worked out once for each.
int KeptPlainLevel(UConverter* converter) {
  for (CachedConverter& entry : g_cache) {
    if (entry.converter != converter || entry.role != Role::kSource) continue;
    int& level = entry.plain[entry.escaping ? 1 : 0];
    if (level < 0) level = PlainLevel(converter);
    return level;
  }
  return 0;
}

// ---- Runs ----

size_t NextControlByte(const char* text, size_t from, size_t end);

struct Side {
  bool utf16;        // "UTF-16": units in the machine's order, no converter
  const char* name;  // the ICU converter name; null for the platform default
};

Side SideOf(const char* name) {
  if (name == nullptr || Same(name, kLocale)) return {false, nullptr};
  return {Same(name, kUtf16), name};
}

// The two ends of one conversion, looked up once for all its runs.
struct Route {
  bool fromUtf16;      // the source is UTF-16 units: no source converter
  bool toUtf16;        // the target is UTF-16 units: no target converter
  UConverter* source;  // kept converters, reset before each run
  UConverter* target;
  bool usable;     // false when a converter cannot be opened: every run is dropped
  int plainLevel;  // PlainLevel of the source converter
};

Route OpenRoute(Side from, Side to, bool escape) {
  Route route{from.utf16, to.utf16, nullptr, nullptr, true, 0};
  if (!from.utf16) {
    route.source = Converter(from.name, Role::kSource, escape, nullptr);
    if (route.source == nullptr) route.usable = false;
  }
  if (route.source != nullptr) route.plainLevel = KeptPlainLevel(route.source);
  if (route.usable && !to.utf16) {
    route.target = Converter(to.name, Role::kTarget, false, route.source);
    if (route.target == nullptr) route.usable = false;
  }
  return route;
}

// Converts size bytes of source text through the route's source converter into units from index
// at on; returns the index after the last unit written, or SIZE_MAX when ICU reports an error
// (units from at on are then undefined).
size_t ToUnits(const Route& route, const char* source, size_t size, Units& units, size_t at) {
  ucnv_resetToUnicode(route.source);
  ReserveUnits(units, at + size + 1);
  const char* read = source;
  size_t produced = at;
  for (;;) {
    UChar* write = units.data + produced;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_toUnicode(route.source, &write, units.data + units.capacity, &read, source + size, nullptr,
                   true, &error);
    produced = static_cast<size_t>(write - units.data);
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      ReserveUnits(units, units.capacity * 2);
      continue;
    }
    return U_FAILURE(error) ? SIZE_MAX : produced;
  }
}

// Converts unitCount units through the route's target converter and appends the result to out.
// False, with out as it was, when ICU reports an error.
bool AppendFromUnits(Buffer& out, const Route& route, const UChar* units, size_t unitCount) {
  ucnv_resetFromUnicode(route.target);
  size_t start = out.length;
  Reserve(out, out.length + 4 * unitCount + 4);
  const UChar* read = units;
  for (;;) {
    char* write = out.data + out.length;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_fromUnicode(route.target, &write, out.data + out.capacity, &read, units + unitCount,
                     nullptr, true, &error);
    out.length = static_cast<size_t>(write - out.data);
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      Reserve(out, out.capacity * 2);
      continue;
    }
    if (U_FAILURE(error)) {
      out.length = start;
      return false;
    }
    return true;
  }
}

// Converts size bytes of source text and appends the result to out. False, with out as it was,
// when the route is unusable or ICU reports an error.
bool AppendRun(Buffer& out, const Route& route, const char* source, size_t size) {
  if (!route.usable) return false;
  const UChar* units = reinterpret_cast<const UChar*>(source);
  size_t unitCount = size / sizeof(UChar);
  if (!route.fromUtf16) {
    unitCount = ToUnits(route, source, size, g_scratch, 0);
    if (unitCount == SIZE_MAX) return false;
    units = g_scratch.data;
  }
  if (route.toUtf16) {
    Append(out, units, unitCount * sizeof(UChar));
    return true;
  }
  return AppendFromUnits(out, route, units, unitCount);
}

// EncConvert of text with controls from a converter to UTF-16 or UTF-8, through one buffer of
// UTF-16. The runs between controls go to UTF-16 as always, except that a plain source converter
// is also given the controls that its PlainLevel admits, which it reads as themselves;
// the UTF-16 of all runs and controls then goes to UTF-8 in one call. That gives the same bytes as
// converting run by run, since the UTF-8 converter keeps no state between characters, a
// converter's UTF-16 never ends a run inside a surrogate pair, and U+0001 to U+001F are the bytes
// 01 to 1F in UTF-8; it saves calls into ICU, which cost far more than a short run. False, with out
// as it was, when ICU reports an error: the caller then converts run by run, dropping only the
// run that fails.
bool AppendRunsThroughUnits(Buffer& out, const Route& route, const char* text, size_t length) {
  if (!route.usable) return false;
  size_t count = 0;
  size_t position = 0;
  while (position < length) {
    size_t end = NextControlByte(text, position, length);
    while (end < length && (route.plainLevel == 2 ||
                            (route.plainLevel == 1 &&
                             (end == 0 || static_cast<unsigned char>(text[end - 1]) < 0x80))))
      end = NextControlByte(text, end + 1, length);
    if (end > position) {
      count = ToUnits(route, text + position, end - position, g_scratch, count);
      if (count == SIZE_MAX) return false;
    }
    if (end == length) break;
    ReserveUnits(g_scratch, count + 1);
    g_scratch.data[count++] = static_cast<unsigned char>(text[end]);
    position = end + 1;
  }
  if (route.toUtf16) {
    Append(out, g_scratch.data, count * sizeof(UChar));
    return true;
  }
  return AppendFromUnits(out, route, g_scratch.data, count);
}

// The index of the first byte below 0x20 in text[from, end), or end. Eight bytes at a time: a word
// has such a byte exactly when some byte borrows on subtracting 0x20 without having its top bit.
size_t NextControlByte(const char* text, size_t from, size_t end) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  size_t i = from;
  for (; i + 8 <= end; i += 8) {
    uint64_t word;
    std::memcpy(&word, text + i, 8);
    if (((word - kOnes * 0x20) & ~word & (kOnes * 0x80)) != 0) break;
  }
  for (; i < end; ++i)
    if (static_cast<unsigned char>(text[i]) < 0x20) return i;
  return end;
}

size_t NextControlUnit(const UChar* units, size_t from, size_t end) {
  for (size_t i = from; i < end; ++i)
    if (units[i] < 0x20) return i;
  return end;
}

}  // namespace

char* EncConvert(const char* text, const char* from, const char* to, int keepControls,
                 int escapeInvalid) {
  if (text == nullptr) return nullptr;
  if (IsEmptyName(from) || IsEmptyName(to)) return ByteCopy(text);
  bool fromUtf16 = Same(from, kUtf16);
  bool toUtf16 = Same(to, kUtf16);
  const auto* units = reinterpret_cast<const UChar*>(text);
  size_t length = fromUtf16 ? static_cast<size_t>(u_strlen(units)) : std::strlen(text);
  if (length == 0) return EmptyResult();
  if (Same(from, kUtf8) && !Utf8IsValid(text)) {
    // Invalid UTF-8 never reaches ICU; the caller sees a visible marker instead.
    static const char16_t kMarks[] = u"???";
    return toUtf16 ? NewResult(kMarks, 3 * sizeof(char16_t)) : NewResult("???", 3);
  }
  if (Same(from, to)) return fromUtf16 ? UnitCopy(text) : ByteCopy(text);
  if (Same(from, kLocale) || Same(to, kLocale)) keepControls = 1;

  // Runs end exactly at the control units: the lead and trail bytes of every dialog encoding lie
  // above 0x20, and valid UTF-8 has no byte below 0x80 inside a sequence, so a two-byte character
  // or a UTF-8 sequence never holds one and is never split.
  Route route = OpenRoute(SideOf(from), SideOf(to), escapeInvalid != 0);
  size_t unitSize = fromUtf16 ? sizeof(UChar) : 1;
  Buffer& out = g_output;
  out.length = 0;
  Reserve(out, 2 * length * unitSize + 16);
  bool batched = !keepControls && !fromUtf16 && (toUtf16 || Same(to, kUtf8)) &&
                 AppendRunsThroughUnits(out, route, text, length);
  size_t position = batched ? length : 0;
  while (position < length) {
    size_t end = keepControls ? length
                 : fromUtf16  ? NextControlUnit(units, position, length)
                              : NextControlByte(text, position, length);
    if (end > position)  // a failed run is dropped, the rest kept
      AppendRun(out, route, text + position * unitSize, (end - position) * unitSize);
    if (end == length) break;
    UChar control = fromUtf16 ? units[end] : static_cast<unsigned char>(text[end]);
    if (toUtf16) {
      Append(out, &control, sizeof control);
    } else {
      char byte = static_cast<char>(control);
      Append(out, &byte, 1);
    }
    position = end + 1;
  }

  bool empty =
      out.length == 0 ||
      (toUtf16 ? out.length < 2 || (out.data[0] == 0 && out.data[1] == 0) : out.data[0] == '\0');
  if (empty) {
    ReleaseWork();
    return EmptyResult();
  }
  return Finish(out);
}

char* EncConvertRun(const char* text, const char* from, const char* to, size_t* outLength,
                    int escapeInvalid) {
  if (outLength != nullptr) *outLength = 0;
  if (text == nullptr) return nullptr;
  Side source = SideOf(from);
  Side target = SideOf(to);
  size_t size = source.utf16 ? sizeof(UChar) * u_strlen(reinterpret_cast<const UChar*>(text))
                             : std::strlen(text);
  if (size == 0) return EmptyResult();
  bool sameName =
      (source.name == nullptr && target.name == nullptr) ||
      (source.name != nullptr && target.name != nullptr && Same(source.name, target.name));
  if (sameName) {
    if (outLength != nullptr) *outLength = size;
    return NewResult(text, size);
  }
  Buffer& out = g_output;
  out.length = 0;
  if (!AppendRun(out, OpenRoute(source, target, escapeInvalid != 0), text, size)) {
    ReleaseWork();
    return nullptr;
  }
  if (outLength != nullptr) *outLength = out.length;
  return Finish(out);
}
