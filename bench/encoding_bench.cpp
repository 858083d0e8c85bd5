// EncConvert on 1 MiB of HostRoman and of Shift-JIS text, with no control bytes and with one every
// 40 bytes, beside one plain ICU conversion of the same text; and the string collations beside a
// kept collator's ucol_strcollUTF8. ./scripts/bench builds and runs it.
#include <benchmark/benchmark.h>
#include <unicode/putil.h>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>

#include <random>
#include <string>
#include <vector>

#include "bench/paired.h"
#include "encoding/convert.h"
#include "strings/collation.h"
#include "strings/memory.h"

namespace {

constexpr size_t kTextSize = 1 << 20;
constexpr size_t kControlEvery = 40;

// Points ICU at the build's host converters before any benchmark runs.
const bool kDataDirectorySet = [] {
  u_setDataDirectory(TANSEL_ICU_DATA_DIR);
  Utf8SetDefaultLocale("en_US");
  return true;
}();

// Text built from characters drawn with a fixed seed; with controls, a tab or paragraph end
// takes the place of the next character once every kControlEvery bytes (never inside one).
std::string MakeText(const std::vector<std::string>& characters, bool controls) {
  std::mt19937 random(42);
  std::string text;
  size_t nextControl = kControlEvery - 1;
  while (text.size() < kTextSize) {
    if (controls && text.size() >= nextControl) {
      text += (random() & 1) != 0 ? '\x09' : '\x0A';
      nextControl = text.size() + kControlEvery - 1;
      continue;
    }
    text += characters[random() % characters.size()];
  }
  return text;
}

std::vector<std::string> RomanCharacters() {
  std::vector<std::string> out;
  for (char c = 'a'; c <= 'z'; ++c) out.emplace_back(1, c);
  for (const char* s : {" ", " ", " ", "E", "T", ".", ",", "\x8E", "\x8A", "\x9F", "\xD2", "\xD3",
                        "\xD5", "\xA5", "\x87", "\xA7"})
    out.emplace_back(s);
  return out;
}

std::vector<std::string> ShiftJisCharacters() {
  std::vector<std::string> out;
  for (int trail = 0x9F; trail <= 0xF1; ++trail) out.push_back(std::string("\x82") + char(trail));
  for (int trail = 0x40; trail <= 0x96; ++trail)
    if (trail != 0x7F) out.push_back(std::string("\x83") + char(trail));
  for (int lead = 0x88; lead <= 0x9F; ++lead)
    for (int trail : {0x40, 0x5C, 0x80, 0x9F, 0xFC})
      out.push_back(std::string(1, char(lead)) + char(trail));
  for (const char* s : {"a", "b", "1", " ", "\xB1", "\xB2"}) out.emplace_back(s);
  return out;
}

const std::string& Text(int which) {
  static const std::string texts[4] = {
      MakeText(RomanCharacters(), false), MakeText(RomanCharacters(), true),
      MakeText(ShiftJisCharacters(), false), MakeText(ShiftJisCharacters(), true)};
  return texts[which];
}

const char* SourceName(int which) {
  return which < 2 ? "host-roman-windows" : "host-shift-jis";
}

void BM_EncConvert(benchmark::State& state, int which) {
  const std::string& text = Text(which);
  // The first conversion opens the converters, as the peer does before its loop: with a short
  // minimum time, a lone first iteration would weigh that in.
  MemFree(EncConvert(text.c_str(), SourceName(which), "UTF-8", 0, 0));
  for (auto _ : state) {
    char* result = EncConvert(text.c_str(), SourceName(which), "UTF-8", 0, 0);
    benchmark::DoNotOptimize(result);
    MemFree(result);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The peer: the same text through the same converters, opened once, in one ICU conversion.
void BM_PlainIcu(benchmark::State& state, int which) {
  const std::string& text = Text(which);
  UErrorCode error = U_ZERO_ERROR;
  UConverter* source = ucnv_open(SourceName(which), &error);
  UConverter* target = ucnv_open("UTF-8", &error);
  if (U_FAILURE(error)) state.SkipWithError(u_errorName(error));
  std::vector<UChar> units(text.size() + 1);
  std::vector<char> bytes(4 * text.size() + 4);
  for (auto _ : state) {
    error = U_ZERO_ERROR;
    int32_t n = ucnv_toUChars(source, units.data(), static_cast<int32_t>(units.size()), text.data(),
                              static_cast<int32_t>(text.size()), &error);
    n = ucnv_fromUChars(target, bytes.data(), static_cast<int32_t>(bytes.size()), units.data(), n,
                        &error);
    benchmark::DoNotOptimize(n);
  }
  ucnv_close(source);
  ucnv_close(target);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Names pair the library with its peer for scripts/bench: "EncConvert/host-roman/1MiB" beside
// "EncConvert=icu/host-roman/1MiB".
const bool kConversionsRegistered = [] {
  const char* cases[4] = {"host-roman", "host-roman.controls", "shift-jis", "shift-jis.controls"};
  for (int which = 0; which < 4; ++which) {
    std::string suffix = std::string("/") + cases[which] + "/1MiB";
    benchmark::RegisterBenchmark(("EncConvert" + suffix).c_str(), BM_EncConvert, which)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("EncConvert=icu" + suffix).c_str(), BM_PlainIcu, which)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

// Words of two to five syllables drawn with a fixed seed.
std::vector<std::string> WordsOf(const std::vector<std::string>& syllables) {
  std::mt19937 random(9);
  std::vector<std::string> out;
  for (int i = 0; i < 512; ++i) {
    std::string word;
    for (int n = 2 + random() % 4; n > 0; --n) word += syllables[random() % syllables.size()];
    out.push_back(word);
  }
  return out;
}

// Latin words (ICU's own fast road for Latin text serves them) and Cyrillic ones (its general
// road), up to 15 bytes.
const std::vector<std::string>& LatinWords() {
  static const auto words = WordsOf({"re", "su", "m\xC3\xA9", "co", "te", "c\xC3\xB4", "Ma", "na",
                                     "\xC3\xA9t", "Ab", "ri", "ss"});
  return words;
}
const std::vector<std::string>& CyrillicWords() {
  static const auto words = WordsOf(
      {"\xD0\xB0", "\xD0\xBA\xD0\xBE", "\xD1\x91", "\xD0\xA2", "\xD0\xBB\xD0\xB8", "\xD1\x8F"});
  return words;
}

// The library's collation beside its peer, one collator with the same settings, kept, comparing
// the UTF-8 directly; the two in alternation over the same pairs of words.
template <int (*Collate)(const char*, const char*)>
void BM_Collate(benchmark::State& state, UCollationStrength strength,
                const std::vector<std::string>& words) {
  UErrorCode error = U_ZERO_ERROR;
  UCollator* collator = ucol_open(nullptr, &error);
  ucol_setStrength(collator, strength);
  ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &error);
  size_t i = 0, k = 0;
  tansel_bench::Paired(
      state,
      [&] {
        benchmark::DoNotOptimize(Collate(words[i].c_str(), words[i + 1].c_str()));
        i = (i + 1) % (words.size() - 1);
      },
      [&] {
        benchmark::DoNotOptimize(
            ucol_strcollUTF8(collator, words[k].c_str(), -1, words[k + 1].c_str(), -1, &error));
        k = (k + 1) % (words.size() - 1);
      });
  ucol_close(collator);
}

void BM_CollateSecondary(benchmark::State& state) {
  BM_Collate<Utf8CollateSecondary>(state, UCOL_SECONDARY, LatinWords());
}
void BM_CollateTertiary(benchmark::State& state) {
  BM_Collate<Utf8CollateTertiary>(state, UCOL_TERTIARY, LatinWords());
}
void BM_CollateCyrillic(benchmark::State& state) {
  BM_Collate<Utf8CollateTertiary>(state, UCOL_TERTIARY, CyrillicWords());
}
BENCHMARK(BM_CollateSecondary)->Name("Utf8CollateSecondary=ucol_strcollUTF8/words");
BENCHMARK(BM_CollateTertiary)->Name("Utf8CollateTertiary=ucol_strcollUTF8/words");
BENCHMARK(BM_CollateCyrillic)->Name("Utf8CollateTertiary=ucol_strcollUTF8/Cyrillic words");

}  // namespace
