// Channels beside C stdio: seeded random sequences of reads, writes, seeks, tells, peeks, flushes
// and size queries, typed reads and writes in either byte order and copies of the rest of the file
// on two copies of a file, one through a channel and one through a FILE*. Every
// result and the final contents must agree, except where channels are meant to differ:
//  - "a" positions at the end once; stdio's "a" writes at the end every time (stdio side: "r+"
//    and a seek to the end, the file created when missing);
//  - "r+" creates a missing file (only existing files are opened with it here);
//  - a zero item size returns the count (never generated here);
//  - a channel needs no seek between a read and a write; stdio does, and its seek clears feof, so
//    atEnd is compared only after a seek or a peek has set both flags alike again;
//  - a seek that fails (negative target, unknown whence) still clears atEnd: not compared after.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "channel/typed_io.h"
#include "tests/channel/channel_files.h"

namespace {

class ChannelDifferential : public ChannelFiles {};

std::string RandomBytes(std::mt19937& random, size_t n) {
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// Empty when equal; otherwise where and how the two byte strings first differ.
std::string FirstDifference(const std::string& a, const std::string& b) {
  if (a == b) return "";
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
         ", first difference at " + std::to_string(at);
}

// The bytes of count items of size bytes each, every item reversed when swapped.
std::string InFileOrder(std::string bytes, int size, bool swapped) {
  if (swapped) {
    for (size_t at = 0; at + size <= bytes.size(); at += size) {
      std::reverse(bytes.begin() + at, bytes.begin() + at + size);
    }
  }
  return bytes;
}

long StdioSize(FILE* file) {
  struct stat info = {};
  fstat(fileno(file), &info);
  return static_cast<long>(info.st_size);
}

TEST_F(ChannelDifferential, RandomOperationSequencesAgreeWithStdio) {
  std::mt19937 random(20261209);
  const char* modes[] = {"r", "r+", "w", "w+", "a"};
  const int sizes[] = {1, 2, 3, 4, 7, 16, 100, 511, 512, 513, 600, 1100, 1500};
  for (int sequence = 0; sequence < 60; ++sequence) {
    const char* mode = modes[random() % 5];
    const bool missing = mode[1] != '+' && mode[0] != 'r' && random() % 4 == 0;
    const std::string initial = RandomBytes(random, random() % 3000);
    const std::string chanPath = Path("chan"), stdioPath = Path("stdio");
    std::filesystem::remove(chanPath);
    std::filesystem::remove(stdioPath);
    if (!missing) {
      Store(chanPath, initial);
      Store(stdioPath, initial);
    } else if (mode[0] == 'a') {
      Store(stdioPath, "");
    }
    SCOPED_TRACE(testing::Message()
                 << "sequence " << sequence << " mode " << mode << (missing ? " missing" : ""));
    FileChannel* channel = Open(chanPath, mode);
    // Binary, as channels are: a text-mode stream elsewhere than here would turn "\n" to "\r\n".
    const std::string stdioMode = std::string(mode[0] == 'a' ? "r+" : mode) + "b";
    FILE* file = std::fopen(stdioPath.c_str(), stdioMode.c_str());
    ASSERT_NE(channel, nullptr);
    ASSERT_NE(file, nullptr);
    if (mode[0] == 'a') std::fseek(file, 0, SEEK_END);

    int lastStdio = 0;  // 1 write, 2 read: stdio needs a seek between the two
    bool atEndComparable = true;
    auto direction = [&](int op) {
      if (lastStdio != 0 && lastStdio != op) {
        std::fseek(file, 0, SEEK_CUR);
        if (random() % 2 == 0) {
          ASSERT_EQ(ChanSeek(channel, 0, 1), 0);  // the stdio idiom
        } else {
          atEndComparable = false;  // a channel writes at its position without it
        }
      }
      lastStdio = op;
    };
    for (int step = 0; step < 250; ++step) {
      SCOPED_TRACE(testing::Message() << "step " << step);
      const int op = static_cast<int>(random() % 19);
      if (op < 5) {  // read
        const int size = sizes[random() % 13];
        const int count = 1 + static_cast<int>(random() % (size > 100 ? 3 : 8));
        direction(2);
        std::string a(size * count, 'x'), b(size * count, 'x');
        const int got = ChanRead(a.data(), size, count, channel);
        ASSERT_EQ(got, static_cast<int>(std::fread(b.data(), size, count, file)));
        ASSERT_EQ(FirstDifference(a.substr(0, got * size), b.substr(0, got * size)), "");
      } else if (op < 10) {  // write
        const int size = sizes[random() % 13];
        const int count = 1 + static_cast<int>(random() % (size > 100 ? 3 : 8));
        direction(1);
        const std::string bytes = RandomBytes(random, size * count);
        ASSERT_EQ(ChanWrite(bytes.data(), size, count, channel),
                  static_cast<int>(std::fwrite(bytes.data(), size, count, file)));
      } else if (op < 12) {  // seek
        const int whence = random() % 20 == 0 ? 3 : static_cast<int>(random() % 3);
        const int offset = static_cast<int>(random() % 4000) - 300;
        const int result = ChanSeek(channel, offset, whence);
        const int expected = std::fseek(file, offset, whence) == 0 ? 0 : -1;
        ASSERT_EQ(result, expected) << "offset " << offset << " whence " << whence;
        atEndComparable = result == 0;
        if (result == 0) lastStdio = 0;
      } else if (op == 12) {
        ASSERT_EQ(ChanTell(channel), std::ftell(file));
      } else if (op == 13) {  // peek
        direction(2);
        const int c = std::getc(file);
        if (c != EOF) std::ungetc(c, file);
        ASSERT_EQ(ChanPeekByte(channel), c == EOF ? -1 : c);
        if (c != EOF || std::feof(file)) atEndComparable = true;
      } else if (op == 14) {
        ASSERT_EQ(ChanFlush(channel), std::fflush(file));
      } else if (op == 15) {
        if (lastStdio == 1) std::fflush(file);
        ASSERT_EQ(ChanSize(channel), StdioSize(file));
      } else if (op == 16) {  // the rest of the file into a new one
        const bool readable = mode[0] != 'w' || mode[1] == '+';
        std::string rest;
        if (readable) {
          direction(2);
          char block[4096];
          for (size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) rest.append(block, n);
          atEndComparable = false;  // stdio read to its end; a copy leaves atEnd alone
        }
        FileChannel* out = Open(Path("chan-rest"), "w");
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(ChanCopyRest(channel, out), readable ? 0 : 1);
        ASSERT_EQ(ChanClose(out), 0);
        ASSERT_EQ(FirstDifference(Contents(Path("chan-rest")), rest), "");
      } else {  // typed items, 16 or 32 bits, in native or swapped order
        const int size = random() % 2 == 0 ? 2 : 4;
        const bool swapped = random() % 2 == 0;
        const int count = 1 + static_cast<int>(random() % 700);
        if (swapped) {
          ChanSetSwappedOrder(channel);
        } else {
          ChanSetNativeOrder(channel);
        }
        if (op == 17) {
          direction(1);
          const std::string items = RandomBytes(random, static_cast<size_t>(size) * count);
          const std::string kept = items;
          const int written =
              size == 2
                  ? ChanWriteInt16s(reinterpret_cast<const int16_t*>(items.data()), count, channel)
                  : ChanWriteInt32s(reinterpret_cast<const int32_t*>(items.data()), count, channel);
          const std::string bytes = InFileOrder(items, size, swapped);
          ASSERT_EQ(written, static_cast<int>(std::fwrite(bytes.data(), size, count, file)));
          ASSERT_EQ(items, kept);  // the caller's items stay as they were
        } else {
          direction(2);
          std::string a(static_cast<size_t>(size) * count, 'x'), b = a;
          const int got =
              size == 2 ? ChanReadInt16s(reinterpret_cast<int16_t*>(a.data()), count, channel)
                        : ChanReadInt32s(reinterpret_cast<int32_t*>(a.data()), count, channel);
          ASSERT_EQ(got, static_cast<int>(std::fread(b.data(), size, count, file)));
          const size_t whole = static_cast<size_t>(got) * size;
          ASSERT_EQ(
              FirstDifference(a.substr(0, whole), InFileOrder(b.substr(0, whole), size, swapped)),
              "");
        }
      }
      if (atEndComparable) {
        ASSERT_EQ(ChanAtEnd(channel), std::feof(file) != 0 ? 1 : 0);
      }
    }
    EXPECT_EQ(ChanClose(channel), 0);
    EXPECT_EQ(std::fclose(file), 0);
    ASSERT_EQ(FirstDifference(Contents(chanPath), Contents(stdioPath)), "");
  }
}

}  // namespace
