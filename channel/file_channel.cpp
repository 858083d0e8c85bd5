// The buffered channel operations over the channel's stream: reading, writing, seeking, the
// position and size, peeking and flushing. Opening and closing live with the paths they open.
#include "channel/file_channel.h"

#include <cstring>

#include "channel/channel_stream.h"
#include "strings/memory.h"

namespace {

// Writes a writing channel's pending bytes; false when the stream took fewer. Bytes the stream did
// not take stay pending, so that the next flush or the close writes them or reports them: many
// callers fail with an answer that also has a normal meaning (0 items of 0, the end, -1).
bool FlushPending(FileChannel* channel) {
  if (channel->lastOp != kChanOpWrite || channel->bufferPos <= 0) return true;
  const int pending = channel->bufferPos;
  const int written = ChanStreamWriteFull(channel->stream, channel->buffer, pending);
  std::memmove(channel->buffer, channel->buffer + written, static_cast<size_t>(pending - written));
  channel->bufferPos = static_cast<int16_t>(pending - written);
  return written == pending;
}

// Moves the stream; true when it moved.
bool StreamSeek(IStream* stream, int64_t move, DWORD origin) {
  LARGE_INTEGER distance;
  distance.QuadPart = move;
  return SUCCEEDED(stream->Seek(distance, origin, nullptr));
}

// Readies a channel for bytes written to its stream at the logical position: a reading channel's
// stream stands past the unread read-ahead, so it steps back and the read-ahead is dropped. False
// when the stream refused to move; the channel is then unchanged.
bool SwitchToWriting(FileChannel* channel) {
  if (channel->lastOp == kChanOpRead) {
    const int unread = channel->bufferFill - channel->bufferPos;
    if (unread > 0 && !StreamSeek(channel->stream, -unread, STREAM_SEEK_CUR)) return false;
    channel->bufferPos = 0;
    channel->bufferFill = 0;
  }
  channel->lastOp = kChanOpWrite;
  return true;
}

// The bytes that size × count items make, or -1 when the request may transfer nothing.
int64_t TransferTotal(int size, int count) {
  if (size < 0 || count < 0) return -1;
  const int64_t total = static_cast<int64_t>(size) * count;
  return total > INT32_MAX ? -1 : total;
}

// Hands out up to want read-ahead bytes to out; returns how many.
int HandOut(FileChannel* channel, unsigned char* out, int64_t want) {
  int64_t n = channel->bufferFill - channel->bufferPos;
  if (n > want) n = want;
  if (n <= 0) return 0;
  std::memcpy(out, channel->buffer + channel->bufferPos, static_cast<size_t>(n));
  channel->bufferPos = static_cast<int16_t>(channel->bufferPos + n);
  return static_cast<int>(n);
}

}  // namespace

int ChanStreamReadFull(IStream* stream, void* destination, int n) {
  auto* out = static_cast<unsigned char*>(destination);
  int done = 0;
  while (done < n) {
    ULONG got = 0;
    stream->Read(out + done, static_cast<ULONG>(n - done), &got);
    if (got == 0) break;
    done += got > static_cast<ULONG>(n - done) ? n - done : static_cast<int>(got);
  }
  return done;
}

int ChanStreamWriteFull(IStream* stream, const void* source, int n) {
  const auto* in = static_cast<const unsigned char*>(source);
  int done = 0;
  while (done < n) {
    ULONG taken = 0;
    stream->Write(in + done, static_cast<ULONG>(n - done), &taken);
    if (taken == 0) break;
    done += taken > static_cast<ULONG>(n - done) ? n - done : static_cast<int>(taken);
  }
  return done;
}

int ChanRead(void* destination, int size, int count, FileChannel* channel) {
  if (channel == nullptr || (channel->access & kChanReadable) == 0) return 0;
  const int64_t total = TransferTotal(size, count);
  if (total < 0 || !FlushPending(channel)) return 0;
  channel->lastOp = kChanOpRead;
  if (total == 0) return count;

  auto* out = static_cast<unsigned char*>(destination);
  int64_t remaining = total;
  int n = HandOut(channel, out, remaining);
  out += n;
  remaining -= n;
  if (remaining == 0) return count;

  channel->bufferPos = 0;
  channel->bufferFill = 0;
  if (remaining >= kChanBufferSize) {
    const int got = ChanStreamReadFull(channel->stream, out, static_cast<int>(remaining));
    if (got == remaining) return count;
    channel->atEnd = 1;
    return static_cast<int>((total - remaining + got) / size);
  }
  channel->bufferFill =
      static_cast<int16_t>(ChanStreamReadFull(channel->stream, channel->buffer, kChanBufferSize));
  remaining -= HandOut(channel, out, remaining);
  if (remaining == 0) return count;
  channel->atEnd = 1;
  return static_cast<int>((total - remaining) / size);
}

int ChanWrite(const void* source, int size, int count, FileChannel* channel) {
  if (channel == nullptr || (channel->access & kChanWritable) == 0) return 0;
  const int64_t total = TransferTotal(size, count);
  if (total == 0) return count;  // nothing to write: neither the stream nor the buffer changes
  if (total < 0 || !SwitchToWriting(channel)) return 0;

  const auto* in = static_cast<const unsigned char*>(source);
  int64_t remaining = total;
  if (channel->bufferPos == 0 && remaining >= kChanBufferSize) {
    // An empty buffer that these bytes would fill and send at once: send them from the source.
    const int direct =
        remaining >= 2 * kChanBufferSize ? static_cast<int>(remaining) : kChanBufferSize;
    if (ChanStreamWriteFull(channel->stream, in, direct) != direct) return 0;
    in += direct;
    remaining -= direct;
  } else {
    int64_t n = kChanBufferSize - channel->bufferPos;
    if (n > remaining) n = remaining;
    std::memcpy(channel->buffer + channel->bufferPos, in, static_cast<size_t>(n));
    channel->bufferPos = static_cast<int16_t>(channel->bufferPos + n);
    in += n;
    remaining -= n;
    if (channel->bufferPos < kChanBufferSize) return count;
    channel->bufferPos = 0;
    if (ChanStreamWriteFull(channel->stream, channel->buffer, kChanBufferSize) != kChanBufferSize)
      return 0;
    if (remaining >= kChanBufferSize) {
      return ChanStreamWriteFull(channel->stream, in, static_cast<int>(remaining)) == remaining
                 ? count
                 : 0;
    }
  }
  std::memcpy(channel->buffer, in, static_cast<size_t>(remaining));
  channel->bufferPos = static_cast<int16_t>(remaining);
  return count;
}

int ChanSeek(FileChannel* channel, int offset, int whence) {
  if (channel == nullptr) MemBailOut();
  channel->atEnd = 0;
  if (!FlushPending(channel)) return -1;
  int64_t move = 0;
  DWORD origin = STREAM_SEEK_SET;
  switch (whence) {
    case 0:
      move = static_cast<uint32_t>(offset);  // zero-extended: the stream reads the low 32 bits
      break;
    case 2:
      move = offset;
      origin = STREAM_SEEK_END;
      break;
    case 1: {
      const int64_t target = static_cast<int64_t>(offset) + channel->bufferPos;
      if (channel->lastOp == kChanOpRead && target >= 0 && target < channel->bufferFill) {
        channel->bufferPos = static_cast<int16_t>(target);
        return 0;
      }
      move = target - channel->bufferFill;
      origin = STREAM_SEEK_CUR;
      break;
    }
    default:
      return -1;
  }
  // A refused move leaves the stream, and with it the read-ahead, where they were.
  if (!StreamSeek(channel->stream, move, origin)) return -1;
  channel->bufferPos = 0;
  channel->bufferFill = 0;
  return 0;
}

int ChanTell(FileChannel* channel) {
  if (channel == nullptr) MemBailOut();
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  ULARGE_INTEGER position = {};
  if (FAILED(channel->stream->Seek(zero, STREAM_SEEK_CUR, &position))) return -1;
  auto at = static_cast<int32_t>(position.u.LowPart);
  if (channel->lastOp == kChanOpWrite) at += channel->bufferPos;
  if (channel->lastOp == kChanOpRead) at += channel->bufferPos - channel->bufferFill;
  return at;
}

int ChanSize(FileChannel* channel) {
  if (channel == nullptr || !FlushPending(channel)) return -1;
  STATSTG stat = {};
  channel->stream->Stat(&stat, STATFLAG_NONAME);  // answers E_FAIL with the size filled in
  return static_cast<int32_t>(stat.cbSize.u.LowPart);
}

int ChanPeekByte(FileChannel* channel) {
  if (channel == nullptr) return -1;
  if (channel->lastOp == kChanOpRead && channel->bufferPos < channel->bufferFill)
    return channel->buffer[channel->bufferPos];
  if ((channel->access & kChanReadable) == 0 || !FlushPending(channel)) return -1;
  unsigned char byte = 0;
  if (ChanRead(&byte, 1, 1, channel) != 1) {
    channel->atEnd = 1;
    return -1;
  }
  channel->atEnd = 0;
  if (channel->bufferPos - 1 >= 0 && channel->bufferPos - 1 < channel->bufferFill) {
    --channel->bufferPos;
  } else {
    StreamSeek(channel->stream, channel->bufferPos - channel->bufferFill - 1, STREAM_SEEK_CUR);
    channel->bufferPos = 0;
    channel->bufferFill = 0;
  }
  return byte;
}

int ChanFlush(FileChannel* channel) {
  if (channel == nullptr || channel->lastOp != kChanOpWrite || channel->bufferPos <= 0) return 0;
  return FlushPending(channel) ? 0 : 1;
}

int ChanAtEnd(FileChannel* channel) {
  if (channel == nullptr) MemBailOut();
  return channel->atEnd;
}

int ChanCopyRest(FileChannel* source, FileChannel* destination) {
  if (source == nullptr || destination == nullptr) MemBailOut();
  if ((source->access & kChanReadable) == 0 || (destination->access & kChanWritable) == 0) return 1;
  // The source's own pending writes are part of what is copied.
  if (!FlushPending(source)) return 1;
  const int unread = source->bufferFill - source->bufferPos;
  if (source->lastOp == kChanOpRead && unread > 0) {
    if (ChanWrite(source->buffer + source->bufferPos, 1, unread, destination) != unread) return 1;
    source->bufferPos = 0;
    source->bufferFill = 0;
  }
  if (!FlushPending(destination) || !SwitchToWriting(destination)) return 1;
  ULARGE_INTEGER everything;
  everything.QuadPart = ~0ull;
  const HRESULT copied = source->stream->CopyTo(destination->stream, everything, nullptr, nullptr);
  if (copied == S_OK) return 0;
  if (copied != E_NOTIMPL) return 1;
  return StreamCopyBytes(0xFFFFFFFFu, source->stream, nullptr, destination->stream, nullptr) != 0
             ? 0
             : 1;
}
