// Console output through the console hook, which start-up points at the host console.
#include "bridge/client_state.h"
#include "encoding/convert.h"
#include "strings/memory.h"

void ConsoleWriteText(const char* text) {
  if (text == nullptr || ConsoleHook == nullptr) return;
  if (CurrentDialogEncoding == kDialogUtf8) {
    ConsoleHook(text);
    return;
  }
  char* utf8 = EncDialogToUtf8(text, CurrentDialogEncoding);  // the console speaks UTF-8
  if (utf8 != nullptr) ConsoleHook(utf8);
  MemFree(utf8);
}

int ConsoleWriteRaw(const char* text) {
  return ConsoleHook != nullptr ? ConsoleHook(text) : 0;
}
