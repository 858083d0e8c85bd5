// The multibyte-safe copy and search over 4 KiB of UTF-8 and of Shift-JIS text, beside memcpy and
// memmem on the same bytes for scale.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "encoding/dialog_encoding.h"
#include "strings/multibyte.h"
#include "strings/utf8.h"

namespace {

constexpr size_t kTextSize = 4096;

// 4 KiB of mixed one- to three-byte characters, ending in a needle found nowhere before it.
std::string MakeText(int enc) {
  std::mt19937 rng(0x4B1B);
  std::string text;
  while (text.size() < kTextSize - 16) {
    int kind = static_cast<int>(rng() % 3);
    if (kind == 0) {
      text += static_cast<char>('a' + rng() % 26);
    } else if (enc == kDialogUtf8) {
      char out[4];
      int n = Utf8Encode(kind == 1 ? 0xC0 + rng() % 0x100 : 0x3041 + rng() % 0x50, out);
      text.append(out, static_cast<size_t>(n));
    } else {
      text += static_cast<char>(0x82 + rng() % 2);
      text += static_cast<char>(0x9F + rng() % 0x50);
    }
  }
  return text + "#needle#";
}

const std::string& Text(int enc) {
  static const std::string utf8 = MakeText(kDialogUtf8);
  static const std::string sjis = MakeText(kDialogShiftJis);
  return enc == kDialogUtf8 ? utf8 : sjis;
}

char g_buffer[kTextSize + 64];

void BM_MbCopyN(benchmark::State& state) {
  int enc = static_cast<int>(state.range(0));
  const std::string& text = Text(enc);
  int size = static_cast<int>(text.size()) - 1;  // a cut near the end, never at it
  for (auto _ : state) {
    benchmark::DoNotOptimize(MbCopyN(g_buffer, text.c_str(), size, enc));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

void BM_Memcpy(benchmark::State& state) {
  const std::string& text = Text(static_cast<int>(state.range(0)));
  size_t size = text.size() - 1;
  for (auto _ : state) {
    std::memcpy(g_buffer, text.c_str(), size);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_MbFind(benchmark::State& state) {
  int enc = static_cast<int>(state.range(0));
  const std::string& text = Text(enc);
  for (auto _ : state) benchmark::DoNotOptimize(MbFind(text.c_str(), "#needle#", enc));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Memmem(benchmark::State& state) {
  const std::string& text = Text(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(memmem(text.data(), text.size(), "#needle#", 8));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

}  // namespace

// Argument: the dialog encoding (1 Shift-JIS, 5 UTF-8).
BENCHMARK(BM_MbCopyN)->Arg(kDialogShiftJis)->Arg(kDialogUtf8);
BENCHMARK(BM_Memcpy)->Arg(kDialogShiftJis)->Arg(kDialogUtf8);
BENCHMARK(BM_MbFind)->Arg(kDialogShiftJis)->Arg(kDialogUtf8);
BENCHMARK(BM_Memmem)->Arg(kDialogShiftJis)->Arg(kDialogUtf8);
