// Typed reads and writes with byte-order control.
#include "channel/typed_io.h"

#include <cstring>

void ChanSetNativeOrder(FileChannel* channel) {
  if (channel != nullptr) channel->swapBytes = 0;
}

void ChanSetSwappedOrder(FileChannel* channel) {
  if (channel != nullptr) channel->swapBytes = 1;
}

void ChanSwapItems(void* items, int size, int count) {
  auto* item = static_cast<unsigned char*>(items);
  if (item == nullptr || size < 2) return;
  for (int n = 0; n < count; ++n, item += size) {
    for (int i = 0; i < size / 2; ++i) {
      const unsigned char byte = item[i];
      item[i] = item[size - 1 - i];
      item[size - 1 - i] = byte;
    }
  }
}

int ChanReadItems(void* destination, int size, int count, FileChannel* channel) {
  if (channel == nullptr) return 0;
  const int read = ChanRead(destination, size, count, channel);
  if (channel->swapBytes != 0 && read > 0) ChanSwapItems(destination, size, read);
  return read;
}

int ChanReadInt16s(int16_t* destination, int count, FileChannel* channel) {
  return ChanReadItems(destination, 2, count, channel);
}

int ChanReadInt32s(int32_t* destination, int count, FileChannel* channel) {
  return ChanReadItems(destination, 4, count, channel);
}

int ChanReadBytes(void* destination, int count, FileChannel* channel) {
  return ChanRead(destination, 1, count, channel);
}

int ChanWriteSwapped(const void* source, int size, int count, FileChannel* channel) {
  if (size < 1 || size > kChanSwapScratch || count < 1) return 0;
  unsigned char scratch[kChanSwapScratch];
  const auto* in = static_cast<const unsigned char*>(source);
  int total = 0;
  for (int left = count; left > 0;) {
    const int items = left < kChanSwapScratch / size ? left : kChanSwapScratch / size;
    std::memcpy(scratch, in, static_cast<size_t>(items) * size);
    ChanSwapItems(scratch, size, items);
    const int written = ChanWrite(scratch, size, items, channel);
    total += written;
    // Later passes would land after the bytes this one lost.
    if (written != items) break;
    in += static_cast<size_t>(items) * size;
    left -= items;
  }
  return total;
}

int ChanWriteInt16s(const int16_t* source, int count, FileChannel* channel) {
  if (channel == nullptr) return 0;
  return channel->swapBytes != 0 ? ChanWriteSwapped(source, 2, count, channel)
                                 : ChanWrite(source, 2, count, channel);
}

int ChanWriteInt32s(const int32_t* source, int count, FileChannel* channel) {
  if (channel == nullptr) return 0;
  return channel->swapBytes != 0 ? ChanWriteSwapped(source, 4, count, channel)
                                 : ChanWrite(source, 4, count, channel);
}

int ChanWriteBytes(const void* source, int count, FileChannel* channel) {
  return ChanWrite(source, 1, count, channel);
}
