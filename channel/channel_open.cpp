// Opening a channel on a file name and closing it.
#include "channel/channel_open.h"

#include <cstring>
#include <new>

#include "channel/channel_stream.h"
#include "encoding/convert.h"
#include "path/net_files.h"
#include "strings/memory.h"

namespace {

struct OpenMode {
  uint8_t access;
  int kind;
  int createAlways;
  bool toEnd;
};

// The mode's meaning; false for a mode no channel has.
bool ParseMode(const char* mode, OpenMode* out) {
  const bool plus = mode[0] != '\0' && mode[1] == '+';
  switch (mode[0]) {
    case 'r':
      *out = {static_cast<uint8_t>(plus ? kChanReadable | kChanWritable : kChanReadable),
              plus ? kStreamOpenReadWrite : kStreamOpenRead, 0, false};
      return true;
    case 'w':
      *out = {static_cast<uint8_t>(plus ? kChanReadable | kChanWritable : kChanWritable),
              kStreamOpenReadWrite, 1, false};
      return true;
    case 'a':
      *out = {kChanReadable | kChanWritable, kStreamOpenReadWrite, 0, true};
      return true;
    default:
      return false;
  }
}

// Opens a channel on text, a file name in the current dialog encoding.
FileChannel* OpenOnText(const char* text, const char* mode) {
  OpenMode open = {};
  if (text == nullptr || text[0] == '\0' || mode == nullptr || !ParseMode(mode, &open))
    return nullptr;
  auto* channel = static_cast<FileChannel*>(MemCalloc(1, sizeof(FileChannel), 0));
  if (channel == nullptr) return nullptr;
  channel->name = static_cast<char*>(MemDup(text, std::strlen(text) + 1, 0));
  auto* stream = channel->name != nullptr ? new (std::nothrow) ChannelStreamC : nullptr;
  int opened = 0;
  if (stream != nullptr) {
    // The platform takes UTF-8 names.
    char* converted = CurrentDialogEncoding == kDialogUtf8 ? nullptr : EncCurrentToUtf8(text);
    const char* utf8 = CurrentDialogEncoding == kDialogUtf8 ? text : converted;
    opened = utf8 != nullptr && StreamOpenFile(stream, utf8, open.kind, open.createAlways);
    MemFree(converted);
  }
  if (opened == 0) {
    if (stream != nullptr) stream->Release();
    MemFree(channel->name);
    MemFree(channel);
    return nullptr;
  }
  channel->stream = stream->Face();

  channel->access = open.access;
  if (open.toEnd) {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    // Left at the start, the first write would land over the file's first bytes.
    if (FAILED(channel->stream->Seek(zero, STREAM_SEEK_END, nullptr))) {
      channel->stream->Release();
      MemFree(channel->name);
      MemFree(channel);
      return nullptr;
    }
  }
  return channel;
}

}  // namespace

FileChannel* ChanOpen(const FilePath* path, const char* mode) {
  if (path == nullptr) MemBailOut();
  return OpenOnText(path->text, mode);
}

int ChanClose(FileChannel* channel) {
  if (channel == nullptr) return -1;
  int result = 0;
  if (channel->lastOp == kChanOpWrite && channel->bufferPos > 0 &&
      ChanStreamWriteFull(channel->stream, channel->buffer, channel->bufferPos) !=
          channel->bufferPos) {
    result = -1;  // the file lacks bytes the caller wrote
  }
  channel->stream->Release();  // the last reference closes the platform file
  // A network file's cache copy goes back to its server; NetLib leaves local names alone.
  if ((channel->access & kChanWritable) != 0) NetSaveFile(channel->name);
  MemFree(channel->name);
  MemFree(channel);
  return result;
}

int ChanCloseRef(FileChannel** ref) {
  if (ref == nullptr) MemBailOut();
  return *ref != nullptr ? ChanClose(*ref) : -1;
}
