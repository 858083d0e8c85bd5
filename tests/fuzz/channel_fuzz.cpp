// Buffered channels beside C stdio under operation sequences from the input: reads, writes, seeks,
// tells, peeks, flushes and size queries on two copies of one file, one through a channel and one
// through a FILE*. Every result and the final contents must agree, except where channels are meant
// to differ: a channel needs no seek between a read and a write (stdio's seek clears its end
// flag, so the end flags are compared only after both have been set alike again), and a failed
// seek still clears the channel's end flag.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>
#include <unicode/putil.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "channel/channel_open.h"
#include "channel/file_channel.h"
#include "path/file_path.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string g_dir;

std::string Contents(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

void Store(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

long StdioSize(FILE* file) {
  struct stat info = {};
  fstat(fileno(file), &info);
  return static_cast<long>(info.st_size);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  u_setDataDirectory(TANSEL_ICU_DATA_DIR);  // channel names go through the host's converters
  char pattern[] = "/tmp/tansel-channel-fuzz-XXXXXX";
  FUZZ_CHECK(mkdtemp(pattern) != nullptr);
  g_dir = std::string(pattern) + "/";
  std::atexit([] {
    std::remove((g_dir + "chan").c_str());
    std::remove((g_dir + "stdio").c_str());
    rmdir(g_dir.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  static const char* const kModes[] = {"r", "r+", "w", "w+"};
  const char* mode = kModes[input.ConsumeIntegralInRange(0, 3)];
  const std::string initial = input.ConsumeRandomLengthString(1500);
  const std::string chanPath = g_dir + "chan", stdioPath = g_dir + "stdio";
  Store(chanPath, initial);
  Store(stdioPath, initial);

  FilePath* path = PathNewFromText(chanPath.c_str());
  FileChannel* channel = ChanOpen(path, mode);
  PathFree(path);
  FILE* file = std::fopen(stdioPath.c_str(), mode);
  FUZZ_CHECK(channel != nullptr && file != nullptr);

  int last = 0;  // 1 write, 2 read: stdio needs a seek between the two
  bool endComparable = true;
  auto direction = [&](int op) {
    if (last != 0 && last != op) {
      std::fseek(file, 0, SEEK_CUR);
      if (input.ConsumeBool())
        FUZZ_CHECK(ChanSeek(channel, 0, 1) == 0);  // the stdio idiom
      else
        endComparable = false;
    }
    last = op;
  };
  static const int kSizes[] = {1, 2, 3, 4, 7, 16, 100, 511, 512, 513, 600, 1100};
  for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
    const int op = input.ConsumeIntegralInRange(0, 15);
    const int itemSize = kSizes[input.ConsumeIntegralInRange(0, 11)];
    const int count = input.ConsumeIntegralInRange(1, itemSize > 100 ? 3 : 8);
    if (op < 5) {
      direction(2);
      std::vector<char> a(itemSize * count, 'x'), b(itemSize * count, 'x');
      const int got = ChanRead(a.data(), itemSize, count, channel);
      FUZZ_CHECK(got == static_cast<int>(std::fread(b.data(), itemSize, count, file)));
      FUZZ_CHECK(std::equal(a.begin(), a.begin() + got * itemSize, b.begin()));
    } else if (op < 10) {
      direction(1);
      const std::string bytes =
          input.ConsumeBytesAsString(itemSize * count) + std::string(itemSize * count, '\0');
      FUZZ_CHECK(ChanWrite(bytes.data(), itemSize, count, channel) ==
                 static_cast<int>(std::fwrite(bytes.data(), itemSize, count, file)));
    } else if (op < 12) {
      const int whence = input.ConsumeIntegralInRange(0, 3);
      const int offset = input.ConsumeIntegralInRange(-300, 3700);
      const int result = ChanSeek(channel, offset, whence);
      FUZZ_CHECK(result == (std::fseek(file, offset, whence) == 0 ? 0 : -1));
      endComparable = result == 0;
      if (result == 0) last = 0;
    } else if (op == 12) {
      FUZZ_CHECK(ChanTell(channel) == std::ftell(file));
    } else if (op == 13) {
      direction(2);
      const int c = std::getc(file);
      if (c != EOF) std::ungetc(c, file);
      FUZZ_CHECK(ChanPeekByte(channel) == (c == EOF ? -1 : c));
      if (c != EOF || std::feof(file)) endComparable = true;
    } else if (op == 14) {
      FUZZ_CHECK(ChanFlush(channel) == std::fflush(file));
    } else {
      if (last == 1) std::fflush(file);
      FUZZ_CHECK(ChanSize(channel) == StdioSize(file));
    }
    if (endComparable) FUZZ_CHECK(ChanAtEnd(channel) == (std::feof(file) != 0 ? 1 : 0));
  }
  FUZZ_CHECK(ChanClose(channel) == 0);
  FUZZ_CHECK(std::fclose(file) == 0);
  FUZZ_CHECK(Contents(chanPath) == Contents(stdioPath));
  return 0;
}
