// Formatting into a caller's string buffer: the string sink and the functions built on it.
#include <cstdarg>
#include <cstring>

#include "encoding/dialog_encoding.h"
#include "strings/byte_blocks_internal.h"
#include "strings/format.h"
#include "strings/format_internal.h"
#include "strings/mb_internal.h"
#include "strings/multibyte.h"

namespace {

// The string sink; kMeasured for pieces known to hold no zero byte (copied with MbCopyMeasured,
// else with MbCopyN).
template <bool kMeasured>
int StringSink(void* context, const char* text, int length) {
  auto* out = static_cast<FmtStringContext*>(context);
  if (out == nullptr || out->next == nullptr || text == nullptr) return 0;
  if (length > out->allowed) length = out->allowed;
  if (length <= 0) {
    *out->next = 0;  // what MbCopyN does with room for nothing, without the detour
    return 0;
  }
  if constexpr (kMeasured) {
    // A piece that fits whole is cut only where the byte after it continues a character: trail
    // bytes and UTF-8 continuation bytes are 0x40 and up. Below that, no call is needed.
    if (static_cast<unsigned char>(text[length]) < 0x40) {
      if (length <= 2 * static_cast<int>(kLanes)) {
        MoveShort(out->next, text, static_cast<size_t>(length));
      } else {
        std::memmove(out->next, text, static_cast<size_t>(length));
      }
      out->next[length] = 0;
      out->next += length;
      out->allowed -= length;
      return length;
    }
  }
  int copied =
      (kMeasured ? MbCopyMeasured : MbCopyN)(out->next, text, length + 1, CurrentDialogEncoding);
  out->next += copied;
  out->allowed -= copied;
  // A character cut off at the limit leaves no room for anything after it: text appended later
  // would sit where the character should have been.
  if (copied < length && text[copied] != 0) out->allowed = 0;
  return copied;
}

}  // namespace

int FmtStringSink(void* context, const char* text, int length) {
  return StringSink<false>(context, text, length);
}

namespace {

// A first look, cheap enough to spare every other format: '%', a few flag and digit bytes, an
// integer letter, the end.
inline bool LooksLikeLoneInteger(const char* format) {
  if (format[0] != '%') return false;
  const char* p = format + 1;
  while (p < format + 5 && ((*p >= '0' && *p <= '9') || *p == '-')) ++p;
  return (*p == 'x' || *p == 'X' || *p == 'd' || *p == 'u' || *p == 'i') && p[1] == 0;
}

// Any other lone integer ("%08x", "%5d") written straight to the buffer (its bytes are one-byte
// characters too); -1, no argument taken, where the format is something else. Apart from
// FormatInto, whose other roads need none of its stack.
[[gnu::noinline]] int FormatLoneInteger(char* buffer, int size, const char* format, va_list* args) {
  char text[kFmtOutputSize];
  int n = FmtLoneIntegerText(format, args, text);
  if (n < 0) return -1;
  if (n > size - 1) n = size - 1;
  std::memcpy(buffer, text, static_cast<size_t>(n));
  buffer[n] = 0;
  return n;
}

// FmtStringV on the caller's own va_list.
int FormatInto(char* buffer, int size, const char* format, va_list* args) {
  if (buffer == nullptr || size < 1) return 0;
  if (format != nullptr && format[0] == '%' && format[1] == 'd' && format[2] == 0) {
    // One integer and nothing else, as StrAppendInt and many callers ask: no walk through the
    // format. Digits and '-' are one-byte characters in every dialog encoding, so a cut at the
    // buffer's end splits none.
    char text[kFmtDecimalSize];
    int n = FmtDecimalText(va_arg(*args, int), text);
    if (n > size - 1) n = size - 1;
    std::memcpy(buffer, text, static_cast<size_t>(n));
    buffer[n] = 0;
    return n;
  }
  if (format != nullptr && LooksLikeLoneInteger(format)) {
    if (int n = FormatLoneInteger(buffer, size, format, args); n >= 0) return n;
  }
  buffer[0] = 0;
  FmtStringContext context{buffer, size - 1};
  // Every piece the engine hands over is measured: it holds no zero byte.
  // Empty pieces are left out: for this sink they would only store the terminator, done below.
  int written = FmtEngineOn(StringSink<true>, &context, format, args, false);
  *context.next = 0;
  return written;
}

}  // namespace

int FmtStringV(char* buffer, int size, const char* format, va_list args) {
  va_list ap;
  va_copy(ap, args);
  int written = FormatInto(buffer, size, format, &ap);
  va_end(ap);
  return written;
}

int FmtStringN(char* buffer, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = FormatInto(buffer, size, format, &args);
  va_end(args);
  return written;
}

int FmtString(char* buffer, const char* format, ...) {
  if (buffer == nullptr) return 0;
  va_list args;
  va_start(args, format);
  int written = FormatInto(buffer, kFmtStringLimit + 1, format, &args);
  va_end(args);
  return written;
}
