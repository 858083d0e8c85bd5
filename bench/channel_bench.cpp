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

// Runs transfer(item, size) once per iteration, calling rewind() after every kSpan bytes.
template <typename Transfer, typename Rewind>
void Loop(benchmark::State& state, Transfer transfer, Rewind rewind) {
  const int size = static_cast<int>(state.range(0));
  std::vector<char> item(size, 'c');
  long at = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(transfer(item.data(), size));
    if ((at += size) >= kSpan) {
      rewind();
      at = 0;
    }
  }
  state.SetBytesProcessed(state.iterations() * size);
}

void ChannelWrite(benchmark::State& state) {
  const std::string name = ScratchName();
  FileChannel* channel = OpenChannel(name, "w");
  Loop(
      state, [&](char* item, int size) { return ChanWrite(item, size, 1, channel); },
      [&] { ChanSeek(channel, 0, 0); });
  ChanClose(channel);
  std::remove(name.c_str());
}

void ChannelRead(benchmark::State& state) {
  const std::string name = ScratchName();
  Prepare(name);
  FileChannel* channel = OpenChannel(name, "r");
  Loop(
      state, [&](char* item, int size) { return ChanRead(item, size, 1, channel); },
      [&] { ChanSeek(channel, 0, 0); });
  ChanClose(channel);
  std::remove(name.c_str());
}

// fopen in mode, with a 512-byte buffer of our own when buffer is set.
FILE* OpenStdio(const std::string& name, const char* mode, int buffer) {
  FILE* file = std::fopen(name.c_str(), mode);
  if (buffer > 0) setvbuf(file, g_stdioBuffer, _IOFBF, buffer);
  return file;
}

void StdioWrite(benchmark::State& state, int buffer) {
  const std::string name = ScratchName();
  FILE* file = OpenStdio(name, "wb", buffer);
  Loop(
      state, [&](char* item, int size) { return std::fwrite(item, size, 1, file); },
      [&] { std::fseek(file, 0, SEEK_SET); });
  std::fclose(file);
  std::remove(name.c_str());
}

void StdioRead(benchmark::State& state, int buffer) {
  const std::string name = ScratchName();
  Prepare(name);
  FILE* file = OpenStdio(name, "rb", buffer);
  Loop(
      state, [&](char* item, int size) { return std::fread(item, size, 1, file); },
      [&] { std::fseek(file, 0, SEEK_SET); });
  std::fclose(file);
  std::remove(name.c_str());
}

}  // namespace

BENCHMARK(ChannelWrite)->Name("ChannelWrite")->Arg(1)->Arg(8)->Arg(64)->Arg(4096);
BENCHMARK_CAPTURE(StdioWrite, default_buffer, 0)
    ->Name("ChannelWrite=fwrite")
    ->Arg(1)
    ->Arg(8)
    ->Arg(64)
    ->Arg(4096);
BENCHMARK_CAPTURE(StdioWrite, setvbuf_512, 512)
    ->Name("ChannelWrite=fwrite-setvbuf-512")
    ->Arg(1)
    ->Arg(8)
    ->Arg(64)
    ->Arg(4096);
BENCHMARK(ChannelRead)->Name("ChannelRead")->Arg(1)->Arg(8)->Arg(64)->Arg(4096);
BENCHMARK_CAPTURE(StdioRead, default_buffer, 0)
    ->Name("ChannelRead=fread")
    ->Arg(1)
    ->Arg(8)
    ->Arg(64)
    ->Arg(4096);
BENCHMARK_CAPTURE(StdioRead, setvbuf_512, 512)
    ->Name("ChannelRead=fread-setvbuf-512")
    ->Arg(1)
    ->Arg(8)
    ->Arg(64)
    ->Arg(4096);
