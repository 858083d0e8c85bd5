// Reads the JSON reports of Google Benchmark programs and prints one table: operation, size,
// library time, peer time, ratio. A library benchmark is named "Operation/size..." and its peer
// "Operation=peer/size..."; with repetitions the median is taken, else the single run. Times are
// CPU time per iteration, which a busy machine disturbs less than wall time.
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
  double library = -1;  // ns, -1 until seen
  double peerTime = -1;
};

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
  std::map<std::string, double> libraries;
  std::multimap<std::string, Row> peers;
  std::map<std::string, double> perMarker;  // a scale benchmark's time per element, ns
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
      size_t slash = name.find('/');
      std::string head = name.substr(0, slash);
      std::string size = slash == std::string::npos ? "" : name.substr(slash + 1);
      size_t equals = head.find('=');
      std::string operation = head.substr(0, equals);
      std::string key = operation + "/" + size;
      if (equals == std::string::npos) {
        if (!libraries.count(key)) order.push_back(key);
        libraries[key] = Nanoseconds(run);
        if (run.contains("per_marker")) perMarker[key] = run["per_marker"].get<double>() * 1e9;
      } else {
        peers.insert({key, Row{operation, size, head.substr(equals + 1), -1, Nanoseconds(run)}});
      }
    }
  }
  std::printf("%-22s %-26s %12s %12s  %-18s %6s\n", "operation", "size", "library", "peer",
              "(peer)", "ratio");
  for (const std::string& key : order) {
    auto [first, last] = peers.equal_range(key);
    if (first == last) continue;  // no peer measured in this run
    for (auto it = first; it != last; ++it) {
      const Row& row = it->second;
      double library = libraries[key];
      std::printf("%-22s %-26s %12s %12s  %-18s %6.2f\n", row.operation.c_str(), row.size.c_str(),
                  Duration(library).c_str(), Duration(row.peerTime).c_str(), row.peer.c_str(),
                  library / row.peerTime);
    }
  }
  for (const std::string& key : order) {
    auto it = perMarker.find(key);
    if (it == perMarker.end()) continue;
    std::printf("%-49s %12s  %.1f ns per marker\n", key.c_str(), Duration(libraries[key]).c_str(),
                it->second);
  }
  return 0;
}
