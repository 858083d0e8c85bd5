// The buffered channel over a stream in memory: where bytes go, when the stream is called, and
// how shortfalls and refused moves are reported.
#include "channel/file_channel.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/channel/memory_stream.h"
#include "tests/support/fault_injection.h"

namespace {

std::string Digits(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('0' + i % 10);
  return s;
}

TEST(FileChannel, ZeroItemsReturnTheCountAndStillFlushAndSwitchToReading) {
  MemoryChannel channel(kChanReadable | kChanWritable, "abc");
  ASSERT_EQ(ChanWrite("xy", 1, 2, channel.get()), 2);
  char out[4] = {};
  EXPECT_EQ(ChanRead(out, 0, 7, channel.get()), 7);
  EXPECT_EQ(channel.stream.data, "xyc");
  EXPECT_EQ(channel->lastOp, kChanOpRead);
  EXPECT_EQ(ChanWrite(out, 5, 0, channel.get()), 0);
}

// A write of no bytes returns the count and leaves the stream alone, even where the stream would
// refuse to move.
TEST(FileChannel, AWriteOfNoBytesTouchesNothing) {
  for (const bool seekFails : {false, true}) {
    SCOPED_TRACE(seekFails);
    MemoryChannel channel(kChanReadable | kChanWritable, Digits(20));
    char out[4];
    ASSERT_EQ(ChanRead(out, 1, 4, channel.get()), 4);
    channel.stream.seekFails = seekFails;
    const size_t position = channel.stream.position;
    EXPECT_EQ(ChanWrite("x", 0, 5, channel.get()), 5);
    EXPECT_EQ(ChanWrite("x", 3, 0, channel.get()), 0);
    EXPECT_EQ(channel.stream.position, position);
    EXPECT_TRUE(channel.stream.writes.empty());
    EXPECT_EQ(channel.stream.data, Digits(20));
    channel.stream.seekFails = false;
    EXPECT_EQ(ChanTell(channel.get()), 4);
  }
}

TEST(FileChannel, PartItemsAreConsumedButNotCounted) {
  MemoryChannel channel(kChanReadable, Digits(10));
  char out[12];
  EXPECT_EQ(ChanRead(out, 4, 3, channel.get()), 2);
  EXPECT_EQ(ChanAtEnd(channel.get()), 1);
  EXPECT_EQ(ChanTell(channel.get()), 10);
  EXPECT_EQ(std::string(out, 10), Digits(10));
}

// Which Write calls the stream sees: full buffers, and runs of 512 bytes or more straight from
// the caller when the buffer is empty.
TEST(FileChannel, WritesFillTheBufferAndBypassIt) {
  struct Row {
    int line;
    std::vector<int> writes;       // byte counts given to ChanWrite
    std::vector<unsigned> stream;  // Write calls the stream received
    int pending;                   // bytes left in the buffer
  };
  const Row rows[] = {
      {__LINE__, {700}, {512}, 188},           {__LINE__, {1100}, {1100}, 0},
      {__LINE__, {100, 1100}, {512, 688}, 0},  {__LINE__, {100, 600}, {512}, 188},
      {__LINE__, {511, 1}, {512}, 0},          {__LINE__, {512}, {512}, 0},
      {__LINE__, {300, 300, 300}, {512}, 388},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    MemoryChannel channel(kChanWritable);
    std::string all;
    for (int n : row.writes) {
      const std::string bytes = Digits(n + all.size()).substr(all.size());
      ASSERT_EQ(ChanWrite(bytes.data(), 1, n, channel.get()), n);
      all += bytes;
    }
    EXPECT_EQ(channel.stream.writes, row.stream);
    EXPECT_EQ(channel->bufferPos, row.pending);
    EXPECT_EQ(ChanTell(channel.get()), static_cast<int>(all.size()));
    EXPECT_EQ(ChanFlush(channel.get()), 0);
    EXPECT_EQ(channel.stream.data, all);
  }
}

TEST(FileChannel, RelativeSeeksInsideTheReadAheadLeaveTheStreamAlone) {
  MemoryChannel channel(kChanReadable, Digits(1000));
  char out[10];
  ASSERT_EQ(ChanRead(out, 1, 10, channel.get()), 10);
  EXPECT_EQ(ChanTell(channel.get()), 10);
  EXPECT_EQ(ChanSeek(channel.get(), -5, 1), 0);
  EXPECT_EQ(channel.stream.position, 512u);
  EXPECT_EQ(ChanTell(channel.get()), 5);
  EXPECT_EQ(ChanSeek(channel.get(), 600, 1), 0);  // 605 lies beyond the read-ahead
  EXPECT_EQ(channel.stream.position, 605u);
  EXPECT_EQ(ChanTell(channel.get()), 605);
  EXPECT_EQ(ChanPeekByte(channel.get()), '5');
}

TEST(FileChannel, AnUnknownWhenceFailsAndStillClearsAtEnd) {
  MemoryChannel channel(kChanReadable, "ab");
  char out[4];
  ASSERT_EQ(ChanRead(out, 1, 4, channel.get()), 2);
  ASSERT_EQ(ChanAtEnd(channel.get()), 1);
  EXPECT_EQ(ChanSeek(channel.get(), 0, 3), -1);
  EXPECT_EQ(ChanAtEnd(channel.get()), 0);
}

TEST(FileChannel, PeekingGivesTheNextByteWithoutConsumingIt) {
  MemoryChannel channel(kChanReadable | kChanWritable, "xyz");
  EXPECT_EQ(ChanPeekByte(channel.get()), 'x');
  EXPECT_EQ(ChanPeekByte(channel.get()), 'x');
  EXPECT_EQ(ChanTell(channel.get()), 0);
  ASSERT_EQ(ChanSeek(channel.get(), 0, 2), 0);
  EXPECT_EQ(ChanPeekByte(channel.get()), -1);
  EXPECT_EQ(ChanAtEnd(channel.get()), 1);
  ASSERT_EQ(ChanWrite("!", 1, 1, channel.get()), 1);
  ASSERT_EQ(ChanSeek(channel.get(), -1, 2), 0);
  EXPECT_EQ(ChanPeekByte(channel.get()), '!');  // the pending byte was written first
  EXPECT_EQ(ChanAtEnd(channel.get()), 0);
  MemoryChannel writeOnly(kChanWritable, "abc");
  EXPECT_EQ(ChanPeekByte(writeOnly.get()), -1);
  EXPECT_EQ(ChanAtEnd(writeOnly.get()), 0);
}

TEST(FileChannel, WrongDirectionsAndNullChannels) {
  MemoryChannel readOnly(kChanReadable, "abc");
  MemoryChannel writeOnly(kChanWritable, "abc");
  char out[4];
  EXPECT_EQ(ChanWrite("x", 1, 1, readOnly.get()), 0);
  EXPECT_EQ(ChanRead(out, 1, 1, writeOnly.get()), 0);
  EXPECT_EQ(ChanAtEnd(writeOnly.get()), 0);
  EXPECT_EQ(ChanRead(out, 1, 1, nullptr), 0);
  EXPECT_EQ(ChanWrite("x", 1, 1, nullptr), 0);
  EXPECT_EQ(ChanFlush(nullptr), 0);
  EXPECT_EQ(ChanSize(nullptr), -1);
  EXPECT_EQ(ChanPeekByte(nullptr), -1);
  EXPECT_EQ(RaisedCode([] { ChanSeek(nullptr, 0, 0); }), 1);
  EXPECT_EQ(RaisedCode([] { ChanTell(nullptr); }), 1);
  EXPECT_EQ(RaisedCode([] { ChanAtEnd(nullptr); }), 1);
  EXPECT_EQ(RaisedCode([&] { ChanCopyRest(nullptr, writeOnly.get()); }), 1);
  EXPECT_EQ(RaisedCode([&] { ChanCopyRest(readOnly.get(), nullptr); }), 1);
}

// Item sizes and counts whose product is negative or beyond 32 bits transfer nothing.
TEST(FileChannel, OversizedAndNegativeProductsTransferNothing) {
  struct Row {
    int line;
    int size;
    int count;
  };
  const Row rows[] = {
      {__LINE__, 0x10000, 0x10000},  // 2^32: 0 in 32 bits
      {__LINE__, 0x40000000, 4},    {__LINE__, -1, 5},         {__LINE__, 5, -1},
      {__LINE__, -2, -3},           {__LINE__, 0x7FFFFFFF, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    MemoryChannel channel(kChanReadable | kChanWritable, "abc");
    char buffer[8] = {};
    EXPECT_EQ(ChanWrite(buffer, row.size, row.count, channel.get()), 0);
    EXPECT_EQ(ChanRead(buffer, row.size, row.count, channel.get()), 0);
    EXPECT_TRUE(channel.stream.writes.empty());
    EXPECT_TRUE(channel.stream.reads.empty());
    EXPECT_EQ(ChanTell(channel.get()), 0);
  }
}

// After a read, a write lands at the logical position, with or without the stdio seek between.
TEST(FileChannel, AWriteAfterAReadLandsAtTheLogicalPosition) {
  for (bool seekBetween : {false, true}) {
    SCOPED_TRACE(seekBetween);
    MemoryChannel channel(kChanReadable | kChanWritable, Digits(1000));
    char out[10];
    ASSERT_EQ(ChanRead(out, 1, 10, channel.get()), 10);
    if (seekBetween) {
      ASSERT_EQ(ChanSeek(channel.get(), 0, 1), 0);
    }
    ASSERT_EQ(ChanWrite("XY", 1, 2, channel.get()), 2);
    EXPECT_EQ(ChanTell(channel.get()), 12);
    ASSERT_EQ(ChanFlush(channel.get()), 0);
    EXPECT_EQ(channel.stream.data.substr(8, 6), "89XY23");
    EXPECT_EQ(channel.stream.data.size(), 1000u);
  }
  // When the stream cannot step back, nothing is written and the read-ahead stays.
  MemoryChannel channel(kChanReadable | kChanWritable, Digits(1000));
  char out[10];
  ASSERT_EQ(ChanRead(out, 1, 10, channel.get()), 10);
  channel.stream.seekFails = true;
  EXPECT_EQ(ChanWrite("XY", 1, 2, channel.get()), 0);
  EXPECT_EQ(ChanPeekByte(channel.get()), '0');
  channel.stream.seekFails = false;
  EXPECT_EQ(ChanTell(channel.get()), 10);
}

// A refused stream move reports -1 and keeps the logical position and the read-ahead.
TEST(FileChannel, ARefusedSeekFailsAndKeepsThePosition) {
  struct Row {
    int line;
    int offset;
    int whence;
  };
  const Row rows[] = {
      {__LINE__, -1, 0},  // the stream refuses a negative target
      {__LINE__, -11, 1},
      {__LINE__, -1001, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    MemoryChannel channel(kChanReadable | kChanWritable, Digits(1000));
    char out[10];
    ASSERT_EQ(ChanRead(out, 1, 10, channel.get()), 10);
    const size_t reads = channel.stream.reads.size();
    EXPECT_EQ(ChanSeek(channel.get(), row.offset, row.whence), -1);
    EXPECT_EQ(ChanTell(channel.get()), 10);
    EXPECT_EQ(ChanPeekByte(channel.get()), '0');
    EXPECT_EQ(channel.stream.reads.size(), reads);  // the read-ahead served the peek
  }
}

// Every byte the stream does not take is reported by the call that lost it.
TEST(FileChannel, ShortfallsAreReported) {
  {
    SCOPED_TRACE("emptying a full buffer");
    MemoryChannel channel(kChanWritable);
    channel.stream.writeBudget = 100;
    const std::string bytes = Digits(600);
    ASSERT_EQ(ChanWrite(bytes.data(), 1, 300, channel.get()), 300);
    EXPECT_EQ(ChanWrite(bytes.data() + 300, 1, 300, channel.get()), 0);
  }
  {
    SCOPED_TRACE("a direct write");
    MemoryChannel channel(kChanWritable);
    channel.stream.writeBudget = 1000;
    const std::string bytes = Digits(2000);
    EXPECT_EQ(ChanWrite(bytes.data(), 1, 2000, channel.get()), 0);
  }
  {
    SCOPED_TRACE("flush, seek, read, peek and size after pending bytes were refused");
    for (int op = 0; op < 5; ++op) {
      SCOPED_TRACE(op);
      MemoryChannel channel(kChanReadable | kChanWritable);
      channel.stream.writeBudget = 3;
      ASSERT_EQ(ChanWrite("abcdef", 1, 6, channel.get()), 6);
      char out[2];
      switch (op) {
        case 0:
          EXPECT_EQ(ChanFlush(channel.get()), 1);
          break;
        case 1:
          EXPECT_EQ(ChanSeek(channel.get(), 0, 0), -1);
          break;
        case 2:
          EXPECT_EQ(ChanRead(out, 1, 1, channel.get()), 0);
          break;
        case 3:
          EXPECT_EQ(ChanPeekByte(channel.get()), -1);
          break;
        default:
          EXPECT_EQ(ChanSize(channel.get()), -1);
      }
      EXPECT_EQ(channel.stream.data, "abc");
    }
  }
}

TEST(FileChannel, CopyRestTakesUnreadBytesPendingWritesAndTheStreamsRest) {
  {
    SCOPED_TRACE("the source's pending writes are copied where they belong");
    MemoryChannel source(kChanReadable | kChanWritable, "0123456789ABCDEFGHIJ");
    MemoryChannel destination(kChanWritable);
    ASSERT_EQ(ChanWrite("abcdefghij", 1, 10, source.get()), 10);
    EXPECT_EQ(ChanCopyRest(source.get(), destination.get()), 0);
    ChanFlush(destination.get());
    EXPECT_EQ(destination.stream.data, "ABCDEFGHIJ");
    EXPECT_EQ(source.stream.data, "abcdefghijABCDEFGHIJ");
    EXPECT_EQ(ChanTell(source.get()), 20);
  }
  {
    SCOPED_TRACE("read-ahead, then the stream");
    const std::string text = Digits(1500);
    MemoryChannel source(kChanReadable, text);
    MemoryChannel destination(kChanWritable);
    char out[5];
    ASSERT_EQ(ChanRead(out, 1, 5, source.get()), 5);
    ASSERT_EQ(ChanWrite("<", 1, 1, destination.get()), 1);
    EXPECT_EQ(ChanCopyRest(source.get(), destination.get()), 0);
    ChanFlush(destination.get());
    EXPECT_EQ(destination.stream.data, "<" + text.substr(5));
  }
  {
    SCOPED_TRACE("a destination that was reading is written at its logical position");
    MemoryChannel source(kChanReadable, "xyz");
    MemoryChannel destination(kChanReadable | kChanWritable, Digits(600));
    char out[2];
    ASSERT_EQ(ChanRead(out, 1, 2, destination.get()), 2);
    EXPECT_EQ(ChanCopyRest(source.get(), destination.get()), 0);
    EXPECT_EQ(destination.stream.data.substr(0, 6), "01xyz5");
  }
  {
    SCOPED_TRACE("failures");
    MemoryChannel source(kChanReadable, Digits(3000));
    MemoryChannel destination(kChanWritable);
    destination.stream.writeBudget = 2000;
    EXPECT_EQ(ChanCopyRest(source.get(), destination.get()), 1);
    MemoryChannel writeOnly(kChanWritable);
    MemoryChannel readOnly(kChanReadable);
    EXPECT_EQ(ChanCopyRest(writeOnly.get(), destination.get()), 1);
    EXPECT_EQ(ChanCopyRest(source.get(), readOnly.get()), 1);
  }
}

}  // namespace
