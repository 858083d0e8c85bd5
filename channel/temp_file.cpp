// Temporary files through the platform's temporary-file calls.
#include "channel/temp_file.h"

#include <cstring>

#include "channel/channel_open.h"
#include "encoding/dialog_encoding.h"
#include "path/path_syntax.h"
#include "platform/win_file.h"
#include "strings/char_tables.h"
#include "strings/memory.h"

FileChannel* ChanOpenTemp() {
  char directory[kChanTempNameSize];
  // A directory that does not fit comes back as the size it needs: that is a failure too.
  const DWORD length = GetTempPathA(kChanTempNameSize - 2, directory);
  if (length == 0 || length >= kChanTempNameSize - 2) return nullptr;
  char name[kChanTempNameSize];
  if (GetTempFileNameA(directory, "CLT", 0, name) == 0) return nullptr;
  FilePath* path = PathFromText(name, nullptr, PathSyntaxDefault);
  FileChannel* channel = path != nullptr ? ChanOpen(path, "w+") : nullptr;
  PathFree(path);
  // The platform created the file; a channel that could not be made on it leaves no stray file.
  if (channel == nullptr) DeleteFileA(name);
  return channel;
}

int ChanCloseAndDelete(FileChannel* channel) {
  if (channel == nullptr) return -1;
  const size_t size = std::strlen(channel->name) + 1;
  auto* name = static_cast<char*>(MemAlloc(size, 0));
  if (name != nullptr) NameToPlatformAnsi(name, channel->name, -1);
  ChanClose(channel);
  if (name != nullptr) DeleteFileA(name);
  MemFree(name);
  return 0;
}

int ChanCloseAndDeleteRef(FileChannel** ref) {
  if (ref == nullptr) MemBailOut();
  return *ref != nullptr ? ChanCloseAndDelete(*ref) : -1;
}

void NameToPlatformAnsi(char* destination, const char* name, int length) {
  if (destination == nullptr) return;
  if (name == nullptr) name = "";
  const size_t n = length == -1 ? std::strlen(name) + 1 : length > 0 ? length : 0;
  if (CurrentDialogEncoding == kDialogHostRoman) {
    for (size_t i = 0; i < n; ++i)
      destination[i] = static_cast<char>(RomanToAnsiTable[static_cast<unsigned char>(name[i])]);
  } else if (destination != name) {
    std::memmove(destination, name, n);
  }
}
