// Channels on real files with the platform's calls failing: refused opens, short and failing
// writes and reads, refused seeks. Every lost byte is reported by the call that lost it, and
// nothing leaks (the sanitizer build checks).
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>

#include "channel/typed_io.h"
#include "encoding/dialog_encoding.h"
#include "tests/channel/channel_files.h"
#include "tests/support/fault_injection.h"

namespace {

long g_writeBudget = -1;  // bytes the failing write still takes; -1: no limit
int g_opens = 0;
int g_closes = 0;

long long BudgetWrite(int fd, const void* buffer, size_t bytes) {
  if (g_writeBudget == 0) {
    errno = ENOSPC;
    return -1;
  }
  if (g_writeBudget > 0 && bytes > static_cast<size_t>(g_writeBudget)) bytes = g_writeBudget;
  const long long written =
      WithDefaultCalls([&] { return g_platformCalls.Write(fd, buffer, bytes); });
  if (written > 0 && g_writeBudget > 0) g_writeBudget -= written;
  return written;
}
long long FailingRead(int, void*, size_t) {
  errno = EIO;
  return -1;
}
long long FailingSeek(int, long long, int) {
  errno = EINVAL;
  return -1;
}
int RefusedOpen(const char*, int, unsigned) {
  errno = EACCES;
  return -1;
}
int FailingStat(int, long long*, int*) {
  return -1;
}
int CountingOpen(const char* path, int flags, unsigned mode) {
  ++g_opens;
  return WithDefaultCalls([&] { return g_platformCalls.Open(path, flags, mode); });
}
int CountingClose(int fd) {
  ++g_closes;
  return WithDefaultCalls([&] { return g_platformCalls.Close(fd); });
}

class ChannelFaults : public ChannelFiles {
 protected:
  void SetUp() override {
    ChannelFiles::SetUp();
    g_writeBudget = -1;
    g_opens = g_closes = 0;
  }
};

TEST_F(ChannelFaults, RefusedOpensLeaveNothingOpenOrAllocated) {
  Store(Path("f"), "abc");
  g_platformCalls.Open = RefusedOpen;
  EXPECT_EQ(Open(Path("f"), "r"), nullptr);
  EXPECT_EQ(Open(Path("g"), "w"), nullptr);
  PlatformCallsReset();
  g_platformCalls.Open = CountingOpen;
  g_platformCalls.Close = CountingClose;
  g_platformCalls.FileStat = FailingStat;  // the open is undone when the file cannot be checked
  EXPECT_EQ(Open(Path("f"), "r"), nullptr);
  EXPECT_EQ(g_opens, 1);
  EXPECT_EQ(g_closes, 1);
  PlatformCallsReset();
  // Names converted from another dialog encoding get their memory with the fatal flag; in UTF-8
  // every allocation of the open may be refused and must be undone.
  const DialogEncoding saved = CurrentDialogEncoding;
  CurrentDialogEncoding = kDialogUtf8;
  FilePath* path = PathNewFromText(Path("f").c_str());
  int opened = 0;
  for (long allowed = 0; allowed < 8; ++allowed) {
    SCOPED_TRACE(allowed);
    ScopedAllocationFailure failure(allowed);
    FileChannel* channel = ChanOpen(path, "r");
    if (channel != nullptr) {
      ++opened;
      failure.Allow(1000);
      EXPECT_EQ(ChanClose(channel), 0);
    }
  }
  EXPECT_GT(opened, 0);
  PathFree(path);
  CurrentDialogEncoding = saved;
}

TEST_F(ChannelFaults, ShortWritesAreReportedByTheCallThatLostBytes) {
  g_platformCalls.Write = BudgetWrite;
  const std::string bytes(3000, 'w');
  {
    SCOPED_TRACE("direct write");
    g_writeBudget = 1000;
    FileChannel* channel = Open(Path("a"), "w");
    EXPECT_EQ(ChanWrite(bytes.data(), 1, 2000, channel), 0);
    EXPECT_EQ(ChanClose(channel), 0);
    EXPECT_EQ(Contents(Path("a")).size(), 1000u);
  }
  {
    SCOPED_TRACE("flush");
    g_writeBudget = 50;
    FileChannel* channel = Open(Path("b"), "w");
    EXPECT_EQ(ChanWrite(bytes.data(), 1, 100, channel), 100);
    EXPECT_EQ(ChanFlush(channel), 1);
    EXPECT_EQ(ChanFlush(channel), 1);  // the 50 bytes not taken are still pending
    EXPECT_EQ(ChanClose(channel), -1);
    EXPECT_EQ(Contents(Path("b")).size(), 50u);
  }
  {
    SCOPED_TRACE("a flush that fails keeps the bytes for the next one");
    g_writeBudget = 50;
    FileChannel* channel = Open(Path("d"), "w");
    EXPECT_EQ(ChanWrite(bytes.data(), 1, 100, channel), 100);
    EXPECT_EQ(ChanFlush(channel), 1);
    g_writeBudget = -1;
    EXPECT_EQ(ChanTell(channel), 100);
    EXPECT_EQ(ChanFlush(channel), 0);
    EXPECT_EQ(ChanClose(channel), 0);
    EXPECT_EQ(Contents(Path("d")), bytes.substr(0, 100));
  }
  {
    SCOPED_TRACE("close");
    g_writeBudget = 50;
    FileChannel* channel = Open(Path("c"), "w");
    EXPECT_EQ(ChanWrite(bytes.data(), 1, 100, channel), 100);
    EXPECT_EQ(ChanClose(channel), -1);
    EXPECT_EQ(Contents(Path("c")).size(), 50u);
  }
}

// Random writes against a random budget: whenever the file lacks bytes, some call said so.
TEST_F(ChannelFaults, NoByteIsLostSilently) {
  g_platformCalls.Write = BudgetWrite;
  std::mt19937 random(77);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    g_writeBudget = random() % 2 == 0 ? -1 : static_cast<long>(random() % 4000) + 1;
    FileChannel* channel = Open(Path("p"), "w+");
    ASSERT_NE(channel, nullptr);
    std::string expected;
    bool reported = false;
    const int steps = 1 + static_cast<int>(random() % 12);
    for (int step = 0; step < steps; ++step) {
      const int n = static_cast<int>(random() % 1300);
      const std::string bytes(n, static_cast<char>('a' + step));
      const int kind = static_cast<int>(random() % 8);
      if (kind == 0) {
        reported |= ChanFlush(channel) != 0;
      } else if (kind == 1) {
        // Calls whose answers here (nothing read, the end, an unknown whence) report nothing.
        char out[1];
        ChanRead(out, 1, random() % 2, channel);
        ChanPeekByte(channel);
        ChanSeek(channel, 0, 3);
      } else {
        reported |= ChanWrite(bytes.data(), 1, n, channel) != n;
        expected += bytes;
      }
    }
    reported |= ChanClose(channel) != 0;
    const std::string contents = Contents(Path("p"));
    EXPECT_TRUE(reported || contents == expected)
        << contents.size() << " of " << expected.size() << " bytes arrived unreported";
    EXPECT_EQ(expected.compare(0, contents.size(), contents), 0);  // what arrived is in order
  }
}

// A flush that fails inside a call whose failure answer also has a normal meaning (a read of no
// items, a read or peek at the end, a seek with an unknown whence): the lost bytes still show, in
// the next flush or close, or they arrive once the platform takes them again.
TEST_F(ChannelFaults, AFlushFailingInsideAnotherCallIsNeverLostSilently) {
  struct Row {
    int line;
    int (*probe)(FileChannel*);
    int answer;  // what the probe returns whether or not the flush failed
  };
  static char out[4];
  const Row rows[] = {
      {__LINE__, [](FileChannel* c) { return ChanRead(out, 1, 0, c); }, 0},
      {__LINE__, [](FileChannel* c) { return ChanReadItems(out, 2, 0, c); }, 0},
      {__LINE__, [](FileChannel* c) { return ChanReadBytes(out, 0, c); }, 0},
      {__LINE__, [](FileChannel* c) { return ChanRead(out, 1, 1, c); }, 0},
      {__LINE__, [](FileChannel* c) { return ChanReadInt16s(nullptr, 0, c); }, 0},
      {__LINE__, [](FileChannel* c) { return ChanPeekByte(c); }, -1},
      {__LINE__, [](FileChannel* c) { return ChanSeek(c, 0, 3); }, -1},
  };
  for (const Row& row : rows) {
    for (const bool restored : {false, true}) {
      SCOPED_TRACE(testing::Message() << "line " << row.line << (restored ? " restored" : ""));
      g_platformCalls.Write = BudgetWrite;
      g_writeBudget = -1;
      FileChannel* channel = Open(Path("w"), "w+");
      ASSERT_NE(channel, nullptr);
      ASSERT_EQ(ChanWrite("0123456789", 1, 10, channel), 10);
      g_writeBudget = 0;  // the platform refuses every write from here
      EXPECT_EQ(row.probe(channel), row.answer);
      bool reported = false;
      if (restored) {
        g_writeBudget = -1;
      } else {
        reported |= ChanFlush(channel) != 0;
      }
      reported |= ChanClose(channel) != 0;
      PlatformCallsReset();
      const std::string contents = Contents(Path("w"));
      EXPECT_TRUE(reported || contents == "0123456789") << "file holds \"" << contents << "\"";
      if (!restored) {
        EXPECT_TRUE(reported);
      }
    }
  }
}

TEST_F(ChannelFaults, FailingReadsEndTheFile) {
  Store(Path("r"), std::string(2000, 'r'));
  FileChannel* channel = Open(Path("r"), "r");
  ASSERT_NE(channel, nullptr);
  g_platformCalls.Read = FailingRead;
  char out[600];
  EXPECT_EQ(ChanRead(out, 1, 10, channel), 0);
  EXPECT_EQ(ChanAtEnd(channel), 1);
  EXPECT_EQ(ChanRead(out, 1, 600, channel), 0);
  EXPECT_EQ(ChanPeekByte(channel), -1);
  EXPECT_EQ(ChanAtEnd(channel), 1);
  EXPECT_EQ(ChanTell(channel), 0);  // a failed read consumes nothing
  PlatformCallsReset();
  // A peek that finds a byte clears the flag and leaves the position.
  EXPECT_EQ(ChanPeekByte(channel), 'r');
  EXPECT_EQ(ChanAtEnd(channel), 0);
  EXPECT_EQ(ChanTell(channel), 0);
  EXPECT_EQ(ChanRead(out, 1, 600, channel), 600);
  EXPECT_EQ(ChanTell(channel), 600);
  EXPECT_EQ(ChanClose(channel), 0);
}

long long g_readsLeft = 0;  // platform reads that still succeed
long long ReadsThenFailure(int fd, void* buffer, size_t bytes) {
  if (g_readsLeft-- <= 0) return FailingRead(fd, buffer, bytes);
  return WithDefaultCalls([&] { return g_platformCalls.Read(fd, buffer, bytes); });
}

// A copy whose source cannot be read to its end is a failed copy, not a short success.
TEST_F(ChannelFaults, CopyRestFailsWhenTheSourceFailsToRead) {
  const std::string text(5000, 'c');
  for (const long long reads : {0LL, 1LL, 3LL}) {
    SCOPED_TRACE(reads);
    Store(Path("src"), text);
    FileChannel* source = Open(Path("src"), "r");
    FileChannel* destination = Open(Path("dst"), "w");
    ASSERT_NE(source, nullptr);
    ASSERT_NE(destination, nullptr);
    g_readsLeft = reads;
    g_platformCalls.Read = ReadsThenFailure;
    EXPECT_EQ(ChanCopyRest(source, destination), 1);
    PlatformCallsReset();
    EXPECT_EQ(ChanClose(source), 0);
    EXPECT_EQ(ChanClose(destination), 0);
    EXPECT_EQ(Contents(Path("dst")), text.substr(0, 1024 * reads));
  }
  Store(Path("src"), text);
  FileChannel* source = Open(Path("src"), "r");
  FileChannel* destination = Open(Path("dst"), "w");
  EXPECT_EQ(ChanCopyRest(source, destination), 0);
  EXPECT_EQ(ChanClose(source), 0);
  EXPECT_EQ(ChanClose(destination), 0);
  EXPECT_EQ(Contents(Path("dst")), text);
}

// "a" starts at the end; where the platform will not move there, the open fails rather than
// let the first write land over the file's first bytes.
TEST_F(ChannelFaults, AnAppendOpenThatCannotReachTheEndFails) {
  Store(Path("log"), "old data");
  g_platformCalls.Seek = FailingSeek;
  FileChannel* channel = Open(Path("log"), "a");
  if (channel != nullptr) {
    PlatformCallsReset();
    ChanWrite("NEW", 1, 3, channel);
    ChanClose(channel);
  }
  EXPECT_EQ(channel, nullptr);
  PlatformCallsReset();
  EXPECT_EQ(Contents(Path("log")), "old data");
  channel = Open(Path("log"), "a");
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(ChanWrite("NEW", 1, 3, channel), 3);
  EXPECT_EQ(ChanClose(channel), 0);
  EXPECT_EQ(Contents(Path("log")), "old dataNEW");
}

TEST_F(ChannelFaults, RefusedSeeksFailAndKeepThePosition) {
  Store(Path("s"), std::string(2000, 's'));
  FileChannel* channel = Open(Path("s"), "r+");
  ASSERT_NE(channel, nullptr);
  char out[10];
  ASSERT_EQ(ChanRead(out, 1, 10, channel), 10);
  g_platformCalls.Seek = FailingSeek;
  EXPECT_EQ(ChanSeek(channel, 700, 0), -1);
  EXPECT_EQ(ChanSeek(channel, 3, 1), 0);  // inside the read-ahead: no platform call
  EXPECT_EQ(ChanTell(channel), -1);
  EXPECT_EQ(ChanWrite("x", 1, 1, channel), 0);  // cannot step back to the logical position
  PlatformCallsReset();
  EXPECT_EQ(ChanTell(channel), 13);
  EXPECT_EQ(ChanClose(channel), 0);
  EXPECT_EQ(Contents(Path("s")), std::string(2000, 's'));
}

}  // namespace
