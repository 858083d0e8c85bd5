// FileChannel: the library's buffered file handle, a counterpart of a C stdio stream over a COM
// stream. Items of a fixed size are read and written through one 512-byte buffer; requests of
// 512 bytes or more that find the buffer empty (reading) or full (writing) go straight to the
// stream. The channel remembers whether its last operation read or wrote, so a change of direction
// neither loses nor repeats a byte, and every write lands at the channel's logical position.
//
// Sizes, counts and positions are 32-bit signed; positions are byte offsets from the start. A null
// channel given to ChanSeek, ChanTell, ChanAtEnd or ChanCopyRest is a usage error (MemBailOut).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/com_stream.h"

inline constexpr int kChanBufferSize = 512;  // bytes of a channel's buffer

// The last operation on a channel's buffer: none, writing, reading.
inline constexpr uint8_t kChanOpNone = 0;
inline constexpr uint8_t kChanOpWrite = 1;
inline constexpr uint8_t kChanOpRead = 2;
inline constexpr uint8_t kChanReadable = 1;  // access bits
inline constexpr uint8_t kChanWritable = 2;

// A buffered file: a stream, its name, a buffer and where the file stands.
struct FileChannel {
  int32_t
      swapBytes;    // 1: typed items are byte-reversed on the way; first field, typed I/O reads it
  char* name;       // the path's text in the dialog encoding, owned
  IStream* stream;  // one reference
  unsigned char buffer[kChanBufferSize];  // read-ahead or pending-write bytes
  int16_t bufferPos;                      // next byte to hand out (reading) or to fill (writing)
  int16_t bufferFill;                     // valid read-ahead bytes (reading only; 0 otherwise)
  uint8_t lastOp;                         // kChanOpNone, kChanOpWrite or kChanOpRead
  uint8_t access;                         // kChanReadable | kChanWritable
  int32_t atEnd;  // 1 once a read came up short; cleared by a seek and a successful peek
};
static_assert(offsetof(FileChannel, name) == 8 && offsetof(FileChannel, stream) == 16 &&
              offsetof(FileChannel, buffer) == 24 && offsetof(FileChannel, bufferPos) == 536 &&
              offsetof(FileChannel, lastOp) == 540 && offsetof(FileChannel, atEnd) == 544 &&
              sizeof(FileChannel) == 552);

// Reads up to size × count bytes; returns the whole items delivered (the bytes of a partly
// delivered last item are consumed all the same) and sets atEnd on a shortfall. 0 for a null or
// unreadable channel, a negative size or count, a product above INT32_MAX, or when pending writes
// could not all be written; count when the product is 0.
int ChanRead(void* destination, int size, int count, FileChannel* channel);
// Writes size × count bytes at the logical position; returns count, or 0 when the stream took
// fewer bytes than it was given (the bytes then in the buffer are dropped), for a null or
// unwritable channel, a negative size or count, or a product above INT32_MAX. A product of 0
// returns count and changes nothing.
int ChanWrite(const void* source, int size, int count, FileChannel* channel);
// Moves the logical position (whence 0 from the start, 1 from the current position, 2 from the
// end) and clears atEnd. 0; -1 for another whence, a stream that refused the move (the position
// stays) or pending writes that could not all be written.
int ChanSeek(FileChannel* channel, int offset, int whence);
// The logical position, or -1 when the stream cannot tell.
int ChanTell(FileChannel* channel);
// The file's size (low 32 bits) after pending writes; -1 when they could not all be written.
int ChanSize(FileChannel* channel);
// The next byte (0 to 255) without consuming it; -1 at the end (setting atEnd), for an unreadable
// channel, or when pending writes could not all be written.
int ChanPeekByte(FileChannel* channel);
// Writes pending bytes: 0 on success or with nothing to do, 1 when the stream took fewer. Bytes
// the stream did not take stay pending, here and wherever another call flushes, until a flush
// or the close writes them or reports them.
int ChanFlush(FileChannel* channel);
// The atEnd flag.
int ChanAtEnd(FileChannel* channel);
// Copies everything from the source's logical position to its end into destination: 0, or 1 when
// the source is unreadable, the destination unwritable, or any byte was not written.
int ChanCopyRest(FileChannel* source, FileChannel* destination);

// Full read: Read until n bytes arrived or a call delivers none; the bytes read.
int ChanStreamReadFull(IStream* stream, void* destination, int n);
// Full write: Write until n bytes were taken or a call takes none; the bytes written.
int ChanStreamWriteFull(IStream* stream, const void* source, int n);
