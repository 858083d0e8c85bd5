// The byte-string operations beside the C library's routines of the same meaning, on document-like
// text of 16 B, 256 B and 4 KiB, each measured in alternation with its peer and named after the
// operation and the peer ("StrCopy=strcpy/256").
#include <benchmark/benchmark.h>
#include <strings.h>

#include <cstring>
#include <random>
#include <string>

#include "bench/paired.h"
#include "strings/byte_string.h"

namespace {

constexpr size_t kMaxSize = 4096;

// size bytes of lower-case words and spaces; the last byte is '#', which occurs nowhere before it,
// so that searches and comparisons run over the whole text.
std::string MakeText(size_t size) {
  std::mt19937 rng(0x57A1);
  std::string text;
  while (text.size() + 1 < size)
    text += (rng() % 6 == 0) ? ' ' : static_cast<char>('a' + rng() % 26);
  return text + '#';
}

const std::string& Text(int64_t size) {
  static const std::string texts[3] = {MakeText(16), MakeText(256), MakeText(kMaxSize)};
  return texts[size <= 16 ? 0 : size <= 256 ? 1 : 2];
}

// The same text with every other letter in upper case and its last byte different, for the
// case-insensitive and the exact comparisons.
std::string Variant(const std::string& text, bool mixCase) {
  std::string out = text;
  for (size_t i = 0; mixCase && i < out.size(); i += 2)
    if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
  out.back() = '$';
  return out;
}

// Far from the text, so that no copy overlaps; the appends start from an empty destination.
char g_destination[kMaxSize + 64];

const char* Opaque(const char* s) {
  benchmark::DoNotOptimize(s);
  return s;
}

// Each benchmark runs the operation and its peer in alternation (see paired.h).
using tansel_bench::Paired;

void BM_StrLength(benchmark::State& state) {
  const char* s = Opaque(Text(state.range(0)).c_str());
  Paired(
      state, [&] { benchmark::DoNotOptimize(StrLength(s)); },
      [&] { benchmark::DoNotOptimize(std::strlen(s)); });
}

void BM_StrCopy(benchmark::State& state) {
  const char* s = Opaque(Text(state.range(0)).c_str());
  Paired(
      state, [&] { StrCopy(g_destination, s); }, [&] { std::strcpy(g_destination, s); });
}
// memcpy is told the length: the floor for any copy of a string.
void BM_StrCopyMemcpy(benchmark::State& state) {
  const char* s = Opaque(Text(state.range(0)).c_str());
  size_t size = static_cast<size_t>(state.range(0)) + 1;
  Paired(
      state, [&] { StrCopy(g_destination, s); }, [&] { std::memcpy(g_destination, s, size); });
}

void BM_StrCopyN(benchmark::State& state) {
  const char* s = Opaque(Text(state.range(0)).c_str());
  int size = static_cast<int>(state.range(0)) + 1;
  Paired(
      state, [&] { benchmark::DoNotOptimize(StrCopyN(g_destination, s, size)); },
      [&] { std::strncpy(g_destination, s, static_cast<size_t>(size)); });
}

void BM_StrAppend(benchmark::State& state) {
  const char* s = Opaque(Text(state.range(0)).c_str());
  Paired(
      state,
      [&] {
        g_destination[0] = 0;
        benchmark::DoNotOptimize(StrAppend(g_destination, s));
      },
      [&] {
        g_destination[0] = 0;
        std::strcat(g_destination, s);
      });
}

void BM_StrAppendN(benchmark::State& state) {
  const char* s = Opaque(Text(state.range(0)).c_str());
  int size = static_cast<int>(state.range(0)) + 1;
  Paired(
      state,
      [&] {
        g_destination[0] = 0;
        benchmark::DoNotOptimize(StrAppendN(g_destination, s, size));
      },
      [&] {
        g_destination[0] = 0;
        std::strncat(g_destination, s, static_cast<size_t>(size) - 1);
      });
}

int Strcmp(const char* a, const char* b) {
  return std::strcmp(a, b);
}

template <int (*Compare)(const char*, const char*), int (*Peer)(const char*, const char*),
          bool kMixCase>
void BM_Compare(benchmark::State& state) {
  const std::string& text = Text(state.range(0));
  std::string other = Variant(text, kMixCase);
  const char* a = Opaque(text.c_str());
  const char* b = Opaque(other.c_str());
  Paired(
      state, [&] { benchmark::DoNotOptimize(Compare(a, b)); },
      [&] { benchmark::DoNotOptimize(Peer(a, b)); });
}

void BM_StrFindChar(benchmark::State& state) {
  const char* s = Opaque(Text(state.range(0)).c_str());
  Paired(
      state, [&] { benchmark::DoNotOptimize(StrFindChar(s, '#')); },
      [&] { benchmark::DoNotOptimize(std::strchr(s, '#')); });
}

// The needle: the last word of the text and its closing '#'.
std::string Needle(const std::string& text) {
  return text.substr(text.find_last_of(' ') + 1);
}

void BM_StrFind(benchmark::State& state) {
  const std::string& text = Text(state.range(0));
  std::string needle = Needle(text);
  const char* s = Opaque(text.c_str());
  const char* n = Opaque(needle.c_str());
  Paired(
      state, [&] { benchmark::DoNotOptimize(StrFind(s, n)); },
      [&] { benchmark::DoNotOptimize(std::strstr(s, n)); });
}
void BM_StrFindMemmem(benchmark::State& state) {
  const std::string& text = Text(state.range(0));
  std::string needle = Needle(text);
  const char* s = Opaque(text.c_str());
  const char* n = Opaque(needle.c_str());
  Paired(
      state, [&] { benchmark::DoNotOptimize(StrFind(s, n)); },
      [&] {
        benchmark::DoNotOptimize(memmem(text.data(), text.size(), needle.data(), needle.size()));
      });
}

#define TANSEL_STRING_BENCH(function, name) \
  BENCHMARK(function)->Name(name)->Arg(16)->Arg(256)->Arg(kMaxSize)

TANSEL_STRING_BENCH(BM_StrLength, "StrLength=strlen");
TANSEL_STRING_BENCH(BM_StrCopy, "StrCopy=strcpy");
TANSEL_STRING_BENCH(BM_StrCopyMemcpy, "StrCopy=memcpy");
TANSEL_STRING_BENCH(BM_StrCopyN, "StrCopyN=strncpy");
TANSEL_STRING_BENCH(BM_StrAppend, "StrAppend=strcat");
TANSEL_STRING_BENCH(BM_StrAppendN, "StrAppendN=strncat");
TANSEL_STRING_BENCH((BM_Compare<StrCompare, Strcmp, false>), "StrCompare=strcmp");
TANSEL_STRING_BENCH((BM_Compare<StrICompare, strcasecmp, true>), "StrICompare=strcasecmp");
TANSEL_STRING_BENCH(BM_StrFindChar, "StrFindChar=strchr");
TANSEL_STRING_BENCH(BM_StrFind, "StrFind=strstr");
TANSEL_STRING_BENCH(BM_StrFindMemmem, "StrFind=memmem");

}  // namespace
