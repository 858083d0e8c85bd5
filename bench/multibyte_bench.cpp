// The multibyte-safe copy, cut and search over 4 KiB of text in each dialog encoding beside memcpy
// and memmem on the same bytes: mostly-ASCII words with a share of two- or three-byte characters,
// and text with no ASCII at all. Each is measured in alternation with its peer and named after
// both ("MbFind=memmem/shift-jis.ascii/4096").
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/paired.h"
#include "encoding/dialog_encoding.h"
#include "strings/multibyte.h"
#include "strings/utf8.h"

namespace {

constexpr size_t kTextSize = 4096;

struct Case {
  int enc;
  const char* name;
  bool ascii;          // mostly ASCII words, else no ASCII at all
  std::string text;    // kTextSize bytes
  std::string needle;  // occurs once, at the end of text
};

// One character of enc that is not ASCII: two bytes from the lead/trail tables, or a UTF-8
// character of two or three bytes.
std::string WideChar(int enc, std::mt19937& rng) {
  if (enc == kDialogUtf8) {
    char out[4];
    int n = Utf8Encode(rng() % 4 == 0 ? 0xC0 + rng() % 0x100 : 0x4E00 + rng() % 0x5000, out);
    return std::string(out, static_cast<size_t>(n));
  }
  const LeadTrailTable* table = EncLeadTrailTable(enc);
  std::vector<char> leads, trails;
  for (int b = 1; b < 256; ++b) {
    if (table->lead[b]) leads.push_back(static_cast<char>(b));
    if (table->trail[b]) trails.push_back(static_cast<char>(b));
  }
  return std::string{leads[rng() % leads.size()], trails[rng() % trails.size()]};
}

Case MakeCase(int enc, const char* name, bool ascii) {
  std::mt19937 rng(0x4B1B + enc);
  Case c{enc, name, ascii, {}, {}};
  std::string& text = c.text;
  if (ascii) {
    while (text.size() < kTextSize - 16) {
      unsigned kind = rng() % 8;
      if (kind == 0)
        text += WideChar(enc, rng);
      else
        text += kind == 1 ? ' ' : static_cast<char>('a' + rng() % 26);
    }
    while (text.size() < kTextSize - 8) text += ' ';
    c.needle = "#needle#";
    text += c.needle;
    return c;
  }
  std::vector<std::string> chars;
  while (text.size() < kTextSize) {
    chars.push_back(WideChar(enc, rng));
    text += chars.back();
  }
  text.resize(kTextSize);  // may end in half a character: MbFind must not care
  for (size_t i = chars.size() - 5; i < chars.size() - 1; ++i) c.needle += chars[i];
  return c;
}

std::vector<Case>& Cases() {
  static std::vector<Case> cases;
  return cases;
}

char g_buffer[kTextSize + 64];

// Each operation in alternation with its peer (see paired.h): memcpy of the same bytes for the
// copies and cuts, memmem for the search.
void BM_MbCopyN(benchmark::State& state, const Case* c) {
  int size = static_cast<int>(c->text.size()) - 1;  // a cut near the end, never at it
  const char* src = c->text.c_str();
  benchmark::DoNotOptimize(src);
  tansel_bench::Paired(
      state, [&] { benchmark::DoNotOptimize(MbCopyN(g_buffer, src, size, c->enc)); },
      [&] { std::memcpy(g_buffer, src, static_cast<size_t>(size)); });
}

void BM_MbTruncate(benchmark::State& state, const Case* c) {
  std::memcpy(g_buffer, c->text.c_str(), c->text.size() + 1);
  int n = static_cast<int>(c->text.size()) - 1;
  const char* src = c->text.c_str();
  const char* tail = src + n - 4;
  benchmark::DoNotOptimize(src);
  tansel_bench::Paired(
      state,
      [&] {
        MbTruncate(g_buffer, n, c->enc);
        benchmark::ClobberMemory();
        std::memcpy(g_buffer + n - 4, tail, 4);  // undo the cut for the next round
      },
      [&] { std::memcpy(g_buffer, src, static_cast<size_t>(n)); });
}

void BM_MbFind(benchmark::State& state, const Case* c) {
  const std::string& text = c->text;
  const std::string& needle = c->needle;
  tansel_bench::Paired(
      state, [&] { benchmark::DoNotOptimize(MbFind(text.c_str(), needle.c_str(), c->enc)); },
      [&] {
        benchmark::DoNotOptimize(memmem(text.data(), text.size(), needle.data(), needle.size()));
      });
}

const bool kRegistered = [] {
  const struct {
    int enc;
    const char* name;
  } encodings[] = {{kDialogShiftJis, "shift-jis"},
                   {kDialogKsc5601, "ksc5601"},
                   {kDialogBig5, "big5"},
                   {kDialogGb2312, "gb2312"},
                   {kDialogUtf8, "utf-8"}};
  for (const auto& e : encodings)
    for (bool ascii : {true, false}) Cases().push_back(MakeCase(e.enc, e.name, ascii));
  for (const Case& c : Cases()) {
    std::string suffix = std::string("/") + c.name + (c.ascii ? ".ascii" : ".wide") + "/4096";
    benchmark::RegisterBenchmark(("MbCopyN=memcpy" + suffix).c_str(), BM_MbCopyN, &c);
    benchmark::RegisterBenchmark(("MbTruncate=memcpy" + suffix).c_str(), BM_MbTruncate, &c);
    benchmark::RegisterBenchmark(("MbFind=memmem" + suffix).c_str(), BM_MbFind, &c);
  }
  return true;
}();

}  // namespace
