// Formatted output to a channel or, with a null channel, to the host console: the library's printf
// engine with the channel sink, and a variant that writes the formatted text as UTF-16.
#pragma once

#include <cstdarg>

#include "encoding/encoding_id.h"

struct FileChannel;

inline constexpr int kChanConsolePiece = 255;        // bytes per console piece at most
inline constexpr int kChanEncodedPrintfSize = 1024;  // ChanPrintfEncoded's buffer, terminator in

// The engine's sink. With a channel (context): ChanWrite of the piece, returning length or 0.
// With none: the text goes to the console (null reads as ""); a piece terminated within length
// + 1 bytes goes in one call and its length up to the zero is returned; a longer one goes in
// pieces of at most 255 bytes that never end inside a character of the dialog encoding, and
// length is returned.
int ChanOutputSink(void* channel, const char* text, int length);
// Formats through the engine into channel (null: the console); the engine's total.
int ChanPrintf(FileChannel* channel, const char* format, ...);
// The same with an argument list.
int ChanVPrintf(FileChannel* channel, const char* format, va_list args);
// With target kEncodingUtf16: formats at most 1023 bytes, converts them from source to UTF-16
// and writes the units in native order without a byte-order mark: ChanWrite's result (the unit
// count, or 0; 0 as well when the conversion fails or the channel is null). Any other target:
// ChanPrintf, both ids ignored.
int ChanPrintfEncoded(EncodingId target, EncodingId source, FileChannel* channel,
                      const char* format, ...);
