// Temporary files: a new, uniquely named file ("CLT" and a number) in the platform's temporary
// directory opened as a channel for reading and writing, and closing a channel with deleting its
// file.
#pragma once

#include "channel/file_channel.h"

inline constexpr int kChanTempNameSize = 4096;  // the temporary directory and file name buffers

// A channel on a new empty temporary file, as mode "w+"; null on any failure, and then no file is
// left behind.
FileChannel* ChanOpenTemp();
// Closes channel as ChanClose does, then deletes its file (a failed deletion is not reported). 0,
// or -1 for a null channel.
int ChanCloseAndDelete(FileChannel* channel);
// ChanCloseAndDelete of the channel *ref holds (a null ref goes to MemBailOut); -1 when it holds
// none. *ref is left as it was.
int ChanCloseAndDeleteRef(FileChannel** ref);
// Copies name for the platform's ANSI file calls: through RomanToAnsiTable when the dialog
// encoding is HostRoman, unchanged otherwise. length -1 copies up to and including the
// terminator; any other length copies exactly that many bytes without adding one.
void NameToPlatformAnsi(char* destination, const char* name, int length);
