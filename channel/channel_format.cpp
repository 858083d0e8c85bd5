// Formatted output into channels and onto the host console.
#include "channel/channel_format.h"

#include "channel/file_channel.h"
#include "encoding/convert.h"
#include "strings/format.h"
#include "strings/memory.h"
#include "strings/multibyte.h"

int ChanOutputSink(void* channel, const char* text, int length) {
  if (channel != nullptr) return ChanWrite(text, 1, length, static_cast<FileChannel*>(channel));
  if (length < 0) return 0;
  if (text == nullptr) text = "";
  int n = 0;
  while (n <= length && text[n] != '\0') ++n;
  if (n <= length) {
    if (n > 0) ConsoleWriteText(text);  // the engine's empty end piece is no console call
    return n;
  }
  char piece[kChanConsolePiece + 1];
  for (int remaining = length; remaining > 0;) {
    const int size = (remaining < kChanConsolePiece ? remaining : kChanConsolePiece) + 1;
    const int copied = MbCopyN(piece, text, size, CurrentDialogEncoding);
    // A character longer than what is left of the run cannot go whole: the run ends there.
    if (copied <= 0) break;
    ConsoleWriteText(piece);
    text += copied;
    remaining -= copied;
  }
  return length;
}

int ChanVPrintf(FileChannel* channel, const char* format, va_list args) {
  return FmtEngine(ChanOutputSink, channel, format, args);
}

int ChanPrintf(FileChannel* channel, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int total = ChanVPrintf(channel, format, args);
  va_end(args);
  return total;
}

int ChanPrintfEncoded(EncodingId target, EncodingId source, FileChannel* channel,
                      const char* format, ...) {
  va_list args;
  va_start(args, format);
  if (target != kEncodingUtf16) {
    const int total = ChanVPrintf(channel, format, args);
    va_end(args);
    return total;
  }
  auto* text = static_cast<char*>(MemCalloc(1, kChanEncodedPrintfSize, 0));
  if (text == nullptr) {
    va_end(args);
    return 0;
  }
  FmtStringV(text, kChanEncodedPrintfSize, format, args);
  va_end(args);
  char* units = EncConvertByIdKeepControls(text, source, kEncodingUtf16);
  int result = 0;
  if (units != nullptr) {
    int count = 0;
    while (units[2 * count] != '\0' || units[2 * count + 1] != '\0') ++count;
    result = ChanWrite(units, 2, count, channel);
  }
  MemFree(units);
  MemFree(text);
  return result;
}
