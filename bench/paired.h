// A library operation and its peer measured in alternation: a short timed batch of one, then of the
// other, their order swapped each time. This machine's speed shifts by as much as twice for
// seconds at a time (a busy neighbour on the same core); batches microseconds apart see the same
// speed, so the median of their ratios holds where the ratio of two separately run medians tilts.
//
// A paired benchmark is named after the operation and the peer ("StrCopy=strcpy/256") and reports
// counters that bench_table reads: library_ns and peer_ns (median time per call) and ratio (the
// median of the batches' library/peer ratios).
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

namespace tansel_bench {

template <typename Body>
double TimeBatch(Body& body, int64_t calls) {
  auto start = std::chrono::steady_clock::now();
  for (int64_t k = 0; k < calls; ++k) {
    body();
    benchmark::ClobberMemory();
  }
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
}

inline double MedianOf(std::vector<double> values) {
  if (values.empty()) return 0;
  auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

template <typename Library, typename Peer>
void Paired(benchmark::State& state, Library library, Peer peer) {
  // Batches of about two microseconds: reading the clock then costs little beside them.
  int64_t calls = 1;
  while (calls < (int64_t{1} << 20) && TimeBatch(library, calls) < 2000) calls *= 2;
  std::vector<double> ours, theirs, ratios;
  bool libraryFirst = true;
  for (auto _ : state) {
    double mine, other;
    if (libraryFirst) {
      mine = TimeBatch(library, calls);
      other = TimeBatch(peer, calls);
    } else {
      other = TimeBatch(peer, calls);
      mine = TimeBatch(library, calls);
    }
    libraryFirst = !libraryFirst;
    ours.push_back(mine / static_cast<double>(calls));
    theirs.push_back(other / static_cast<double>(calls));
    ratios.push_back(mine / other);
  }
  state.counters["library_ns"] = MedianOf(ours);
  state.counters["peer_ns"] = MedianOf(theirs);
  state.counters["ratio"] = MedianOf(ratios);
}

}  // namespace tansel_bench
