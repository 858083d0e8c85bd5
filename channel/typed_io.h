// Typed channel I/O: arrays of 16- and 32-bit items, byte-reversed on the way when the channel's
// swapBytes is set, so that files of the other byte order read and write as native numbers. A
// null channel transfers nothing.
#pragma once

#include <cstdint>

#include "channel/file_channel.h"

inline constexpr int kChanSwapScratch = 1024;  // bytes per pass of ChanWriteSwapped

// Items are written and read in native order.
void ChanSetNativeOrder(FileChannel* channel);
// Multi-byte items are byte-reversed on typed reads and writes.
void ChanSetSwappedOrder(FileChannel* channel);
// ChanRead, then the items delivered are byte-reversed when swapBytes is set; the items read.
int ChanReadItems(void* destination, int size, int count, FileChannel* channel);
int ChanReadInt16s(int16_t* destination, int count, FileChannel* channel);
int ChanReadInt32s(int32_t* destination, int count, FileChannel* channel);
int ChanReadBytes(void* destination, int count, FileChannel* channel);
// ChanWrite, or ChanWriteSwapped when swapBytes is set; the items written (count, or fewer).
int ChanWriteInt16s(const int16_t* source, int count, FileChannel* channel);
int ChanWriteInt32s(const int32_t* source, int count, FileChannel* channel);
int ChanWriteBytes(const void* source, int count, FileChannel* channel);
// Writes count items of size bytes (1 to 1024) byte-reversed, in passes through a 1024-byte
// scratch buffer; the source is not changed. The items written: 0 for a size outside 1 to 1024
// or a count below 1; a pass that fails ends the writing.
int ChanWriteSwapped(const void* source, int size, int count, FileChannel* channel);
// Reverses the bytes of each of count items of size bytes in place.
void ChanSwapItems(void* items, int size, int count);
