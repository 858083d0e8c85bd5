// Formatting into a caller's string buffer: the string sink and the functions built on it.
#include <cstdarg>

#include "encoding/dialog_encoding.h"
#include "strings/format.h"
#include "strings/format_internal.h"
#include "strings/multibyte.h"

int FmtStringSink(void* context, const char* text, int length) {
  auto* out = static_cast<FmtStringContext*>(context);
  if (out == nullptr || out->next == nullptr || text == nullptr) return 0;
  if (length > out->allowed) length = out->allowed;
  if (length <= 0) {
    *out->next = 0;  // what MbCopyN does with room for nothing, without the detour
    return 0;
  }
  int copied = MbCopyN(out->next, text, length + 1, CurrentDialogEncoding);
  out->next += copied;
  out->allowed -= copied;
  // A character cut off at the limit leaves no room for anything after it: text appended later
  // would sit where the character should have been.
  if (copied < length && text[copied] != 0) out->allowed = 0;
  return copied;
}

namespace {

// FmtStringV on the caller's own va_list.
int FormatInto(char* buffer, int size, const char* format, va_list* args) {
  if (buffer == nullptr || size < 1) return 0;
  buffer[0] = 0;
  FmtStringContext context{buffer, size - 1};
  int written = FmtEngineOn(FmtStringSink, &context, format, args);
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

int FmtString(char* buffer, const char* format, ...) {
  if (buffer == nullptr) return 0;
  va_list args;
  va_start(args, format);
  int written = FormatInto(buffer, kFmtStringLimit + 1, format, &args);
  va_end(args);
  return written;
}
