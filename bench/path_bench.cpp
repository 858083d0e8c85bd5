// Path resolution and percent-encoding beside their peers: std::filesystem's lexical
// normalisation of the same paths, and libcurl's escaping of the same texts.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "path/file_url.h"
#include "path/path_text.h"
#include "strings/memory.h"

namespace {

// Paths of four to twelve components with dots and dot-dots among them.
const std::vector<std::string>& Paths() {
  static const std::vector<std::string> paths = [] {
    std::mt19937 rng(0x9A7);
    const char* parts[] = {"Documents", "a", "..", ".", "Quarterly report", "figures.doc", "x"};
    std::vector<std::string> out;
    for (int i = 0; i < 256; ++i) {
      std::string path = "C:";
      for (int n = 4 + static_cast<int>(rng() % 9); n > 0; --n)
        path += "\\" + std::string(parts[rng() % 7]);
      out.push_back(path);
    }
    return out;
  }();
  return paths;
}

void BM_PathResolve(benchmark::State& state) {
  char buffer[kPathBufferSize];
  size_t i = 0;
  for (auto _ : state) {
    const std::string& path = Paths()[i++ % Paths().size()];
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    benchmark::DoNotOptimize(PathResolve(buffer, nullptr));
  }
}

void BM_FilesystemLexicallyNormal(benchmark::State& state) {
  std::vector<std::filesystem::path> paths;
  for (std::string path : Paths()) {
    for (char& c : path) c = c == '\\' ? '/' : c;
    paths.emplace_back(path);
  }
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(paths[i++ % paths.size()].lexically_normal());
}

void BM_UrlEncode(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) MemFree(UrlEncode(Paths()[i++ % Paths().size()].c_str()));
}

void BM_CurlEscape(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) {
    const std::string& path = Paths()[i++ % Paths().size()];
    curl_free(curl_easy_escape(nullptr, path.c_str(), static_cast<int>(path.size())));
  }
}

}  // namespace

BENCHMARK(BM_PathResolve)->Name("PathResolve");
BENCHMARK(BM_FilesystemLexicallyNormal)->Name("PathResolve=lexically_normal");
BENCHMARK(BM_UrlEncode)->Name("UrlEncode");
BENCHMARK(BM_CurlEscape)->Name("UrlEncode=curl_easy_escape");
