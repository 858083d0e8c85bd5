// Channel writes and reads of 1-, 8-, 64- and 4096-byte items beside fwrite and fread, with stdio's
// default buffering and with setvbuf to 512 bytes, on the same scratch file in the same run. Every
// 1 MiB both sides seek back to the start, so the file stays in the page cache.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "channel/channel_open.h"
#include "encoding/dialog_encoding.h"

namespace {

constexpr long kSpan = 1 << 20;  // bytes between seeks back to the start

// A stdio buffer of its own for the setvbuf runs: given a null buffer, glibc keeps its default
// size whatever size is asked.
char g_stdioBuffer[512];

std::string ScratchName() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr && dir[0] != '\0' ? dir : "/tmp") + "/bench_channel_" +
         std::to_string(getpid());
}

// Makes the file kSpan bytes long so that reads always find data.
void Prepare(const std::string& name) {
  std::vector<char> bytes(kSpan, 'b');
  FILE* file = std::fopen(name.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

FileChannel* OpenChannel(const std::string& name, const char* mode) {
  CurrentDialogEncoding = kDialogUtf8;  // names go to the platform as they are
  FilePath* path = PathNewFromText(name.c_str());
  FileChannel* channel = ChanOpen(path, mode);
  PathFree(path);
  return channel;
}

void ChannelWrite(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  const std::string name = ScratchName();
  FileChannel* channel = OpenChannel(name, "w");
  std::vector<char> item(size, 'c');
  long at = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ChanWrite(item.data(), size, 1, channel));
    if ((at += size) >= kSpan) {
      ChanSeek(channel, 0, 0);
      at = 0;
    }
  }
  ChanClose(channel);
  std::remove(name.c_str());
  state.SetBytesProcessed(state.iterations() * size);
}

void StdioWrite(benchmark::State& state, int buffer) {
  const int size = static_cast<int>(state.range(0));
  const std::string name = ScratchName();
  FILE* file = std::fopen(name.c_str(), "wb");
  if (buffer > 0) setvbuf(file, g_stdioBuffer, _IOFBF, buffer);
  std::vector<char> item(size, 'c');
  long at = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::fwrite(item.data(), size, 1, file));
    if ((at += size) >= kSpan) {
      std::fseek(file, 0, SEEK_SET);
      at = 0;
    }
  }
  std::fclose(file);
  std::remove(name.c_str());
  state.SetBytesProcessed(state.iterations() * size);
}

void ChannelRead(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  const std::string name = ScratchName();
  Prepare(name);
  FileChannel* channel = OpenChannel(name, "r");
  std::vector<char> item(size);
  long at = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ChanRead(item.data(), size, 1, channel));
    if ((at += size) >= kSpan) {
      ChanSeek(channel, 0, 0);
      at = 0;
    }
  }
  ChanClose(channel);
  std::remove(name.c_str());
  state.SetBytesProcessed(state.iterations() * size);
}

void StdioRead(benchmark::State& state, int buffer) {
  const int size = static_cast<int>(state.range(0));
  const std::string name = ScratchName();
  Prepare(name);
  FILE* file = std::fopen(name.c_str(), "rb");
  if (buffer > 0) setvbuf(file, g_stdioBuffer, _IOFBF, buffer);
  std::vector<char> item(size);
  long at = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::fread(item.data(), size, 1, file));
    if ((at += size) >= kSpan) {
      std::fseek(file, 0, SEEK_SET);
      at = 0;
    }
  }
  std::fclose(file);
  std::remove(name.c_str());
  state.SetBytesProcessed(state.iterations() * size);
}

}  // namespace

BENCHMARK(ChannelWrite)->Arg(1)->Arg(8)->Arg(64)->Arg(4096);
BENCHMARK_CAPTURE(StdioWrite, default_buffer, 0)->Arg(1)->Arg(8)->Arg(64)->Arg(4096);
BENCHMARK_CAPTURE(StdioWrite, setvbuf_512, 512)->Arg(1)->Arg(8)->Arg(64)->Arg(4096);
BENCHMARK(ChannelRead)->Arg(1)->Arg(8)->Arg(64)->Arg(4096);
BENCHMARK_CAPTURE(StdioRead, default_buffer, 0)->Arg(1)->Arg(8)->Arg(64)->Arg(4096);
BENCHMARK_CAPTURE(StdioRead, setvbuf_512, 512)->Arg(1)->Arg(8)->Arg(64)->Arg(4096);
