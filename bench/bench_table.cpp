// Reads the JSON reports of Google Benchmark programs and prints one table: operation, size,
// library time, peer time, ratio. A library benchmark is named "Operation/size..." and its peer
// "Operation=peer/size..."; with repetitions the median is taken, else the single run. Times are
// CPU time per iteration, which a busy machine disturbs less than wall time.
//
// A paired benchmark ("Operation=peer/size" with counters library_ns, peer_ns and ratio) measures
// both itself, in alternation; its ratio is the median of the rounds' ratios.
//
// A program's reports may come in rounds (one file per run of it, given in the order they ran):
// each run measures a benchmark and its peer moments apart, so the ratio is the median of the
// rounds' own ratios. A machine whose speed shifts between runs (a neighbour on the same core)
// moves both sides of a round alike, where it would tilt a ratio of two medians.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

struct Row {
  std::string operation;
  std::string size;
  std::string peer;
  std::vector<double> times;   // ns, one per round
  std::vector<double> ratios;  // a paired benchmark's own ratio, one per round
};

// The median of values, which are not empty.
double Median(std::vector<double> values) {
  size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                   values.end());
  double upper = values[middle];
  if (values.size() % 2 == 1) return upper;
  return (upper +
          *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle))) /
         2;
}

// The rounds' ratios: library and peer times of the same round go together.
std::vector<double> RatiosOfRounds(const std::vector<double>& library,
                                   const std::vector<double>& peer) {
  std::vector<double> ratios;
  for (size_t i = 0; i < library.size() && i < peer.size(); ++i)
    ratios.push_back(library[i] / peer[i]);
  return ratios;
}

double Nanoseconds(const nlohmann::json& run) {
  double time = run.value("cpu_time", 0.0);
  std::string unit = run.value("time_unit", "ns");
  if (unit == "us") return time * 1e3;
  if (unit == "ms") return time * 1e6;
  if (unit == "s") return time * 1e9;
  return time;
}

std::string Duration(double ns) {
  char text[32];
  if (ns < 0) return "-";
  if (ns < 1e3)
    std::snprintf(text, sizeof text, "%.1f ns", ns);
  else if (ns < 1e6)
    std::snprintf(text, sizeof text, "%.2f us", ns / 1e3);
  else
    std::snprintf(text, sizeof text, "%.2f ms", ns / 1e6);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> order;  // "operation/size" keys in first-seen order
  std::map<std::string, std::vector<double>> libraries;
  std::map<std::string, Row> peers;                      // by key and peer
  std::map<std::string, std::vector<double>> perMarker;  // a scale benchmark's ns per element
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i]);
    nlohmann::json report = nlohmann::json::parse(in, nullptr, false);
    if (report.is_discarded() || !report.contains("benchmarks")) {
      std::fprintf(stderr, "bench_table: no benchmark report in %s\n", argv[i]);
      return 1;
    }
    bool aggregated = false;
    for (const auto& run : report["benchmarks"])
      aggregated = aggregated || run.value("run_type", "") == "aggregate";
    for (const auto& run : report["benchmarks"]) {
      if (aggregated && run.value("aggregate_name", "") != "median") continue;
      if (run.contains("error_occurred") && run["error_occurred"].get<bool>()) continue;
      std::string name = run.value("run_name", run.value("name", ""));
      // A benchmark's own minimum time is no part of what it measures.
      if (size_t own = name.find("/min_time:"); own != std::string::npos) name.erase(own);
      size_t slash = name.find('/');
      std::string head = name.substr(0, slash);
      std::string size = slash == std::string::npos ? "" : name.substr(slash + 1);
      size_t equals = head.find('=');
      std::string operation = head.substr(0, equals);
      std::string key = operation + "/" + size;
      if (equals != std::string::npos && run.contains("ratio")) {
        // Library and peer measured in alternation by one benchmark.
        std::string peer = head.substr(equals + 1);
        if (!libraries.count(key)) order.push_back(key);
        libraries[key].push_back(run["library_ns"].get<double>());
        Row& row = peers[key + "=" + peer];
        row.operation = operation;
        row.size = size;
        row.peer = peer;
        row.times.push_back(run["peer_ns"].get<double>());
        row.ratios.push_back(run["ratio"].get<double>());
      } else if (equals == std::string::npos) {
        if (!libraries.count(key)) order.push_back(key);
        libraries[key].push_back(Nanoseconds(run));
        if (run.contains("per_marker"))
          perMarker[key].push_back(run["per_marker"].get<double>() * 1e9);
      } else {
        std::string peer = head.substr(equals + 1);
        Row& row = peers[key + "=" + peer];
        row.operation = operation;
        row.size = size;
        row.peer = peer;
        row.times.push_back(Nanoseconds(run));
      }
    }
  }
  // The rounds' lowest and highest ratio beside the median show how far the machine swayed.
  std::printf("%-22s %-26s %12s %12s  %-18s %6s  %s\n", "operation", "size", "library", "peer",
              "(peer)", "ratio", "rounds");
  for (const std::string& key : order) {
    const std::vector<double>& library = libraries[key];
    for (auto it = peers.lower_bound(key + "="); it != peers.end(); ++it) {
      const Row& row = it->second;
      if (row.operation + "/" + row.size != key) break;
      std::vector<double> ratios =
          row.ratios.empty() ? RatiosOfRounds(library, row.times) : row.ratios;
      if (ratios.empty()) continue;  // the library's side was not measured in this run
      std::printf("%-22s %-26s %12s %12s  %-18s %6.2f  %.2f-%.2f\n", row.operation.c_str(),
                  row.size.c_str(), Duration(Median(library)).c_str(),
                  Duration(Median(row.times)).c_str(), row.peer.c_str(), Median(ratios),
                  *std::min_element(ratios.begin(), ratios.end()),
                  *std::max_element(ratios.begin(), ratios.end()));
    }
  }
  for (const std::string& key : order) {
    auto it = perMarker.find(key);
    if (it == perMarker.end()) continue;
    std::printf("%-49s %12s  %.1f ns per marker\n", key.c_str(),
                Duration(Median(libraries[key])).c_str(), Median(it->second));
  }
  return 0;
}
