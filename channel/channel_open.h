// Opening and closing channels on named files. The mode's first character chooses: "r" reads an
// existing file, "r+" reads and writes one (created when missing), "w" and "w+" create an empty
// file for writing (and reading), "a" reads and writes (created when missing) from its end.
#pragma once

#include "channel/file_channel.h"
#include "path/file_path.h"

// Opens a channel on the file that path names (its text, in the current dialog encoding, after the
// alias map, and through NetLib's cache for a network name) in mode. Null on any failure, leaving
// nothing allocated: a path without text, a null or unknown mode, a refused platform open, an "a"
// open that cannot move to the file's end. A null path goes to MemBailOut.
FileChannel* ChanOpen(const FilePath* path, const char* mode);
// Writes pending bytes, releases the stream, hands a writable channel's file back to NetLib (a
// local name is left alone) and frees the channel. 0; -1 for a null channel or when pending bytes
// could not all be written.
int ChanClose(FileChannel* channel);
// ChanClose of the channel *ref holds (a null ref is fatal); -1 when it holds none. *ref is left
// as it was.
int ChanCloseRef(FileChannel** ref);
