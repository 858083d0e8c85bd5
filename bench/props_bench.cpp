// Growing lists one element at a time: StringListAppend (a resize on every append that is not at a
// multiple of 16) and PropListSet (a resize on every append) beside std::vector's doubling, over
// the same number of elements.
#include <benchmark/benchmark.h>

#include <vector>

#include "props/counted_list.h"
#include "props/property_list.h"
#include "strings/memory.h"

namespace {

char g_text[] = "x";

void BM_StringListAppend(benchmark::State& state) {
  for (auto _ : state) {
    StringList list{0, nullptr};
    for (int64_t i = 0; i < state.range(0); ++i) StringListAppend(&list, g_text);
    benchmark::DoNotOptimize(list.items);
    MemFree(list.items);  // the strings are not the list's here
  }
}

void BM_VectorPushBack(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<char*> list;
    for (int64_t i = 0; i < state.range(0); ++i) list.push_back(g_text);
    benchmark::DoNotOptimize(list.data());
  }
}

void BM_PropListSetAppend(benchmark::State& state) {
  for (auto _ : state) {
    PropertyValueList list{0, nullptr};
    for (int64_t i = 0; i < state.range(0); ++i) PropListSetInt(&list, static_cast<int32_t>(-i), 1);
    benchmark::DoNotOptimize(list.items);
    PropListFree(&list);
  }
}

void BM_VectorPropertyValues(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<PropertyValue> list;
    for (int64_t i = 0; i < state.range(0); ++i) {
      // The same search PropListSet makes before it appends.
      int32_t num = static_cast<int32_t>(-i);
      bool found = false;
      for (const PropertyValue& entry : list) found = found || entry.ident.num == num;
      if (!found) list.push_back(PropertyValue{{num, nullptr}, {PropInt, {}}});
    }
    benchmark::DoNotOptimize(list.data());
  }
}

}  // namespace

BENCHMARK(BM_StringListAppend)->Name("StringListAppend")->Arg(16)->Arg(1000);
BENCHMARK(BM_VectorPushBack)->Name("StringListAppend=vector")->Arg(16)->Arg(1000);
BENCHMARK(BM_PropListSetAppend)->Name("PropListSetAppend")->Arg(16)->Arg(1000);
BENCHMARK(BM_VectorPropertyValues)->Name("PropListSetAppend=vector")->Arg(16)->Arg(1000);
