// Nanoseconds per classification through the fake window system, and heap allocations per call.
#include <benchmark/benchmark.h>

#include "bench/alloc_counter.h"
#include "engine/classify.h"
#include "tests/fake/fakeos.h"

static void classifyOne(benchmark::State& state, const char* cls) {
  fake::reset();
  fake::logMessages = false;
  HWND w = fake::addWindow(nullptr, cls, {0, 0, 400, 300});
  fake::window(w).hitFlags = LVHT_ONITEMLABEL;
  long before = heapAllocations();
  for (auto _ : state) benchmark::DoNotOptimize(classifyTarget(w, HTCLIENT, 100, 100));
  state.counters["allocs_per_call"] =
      benchmark::Counter(double(heapAllocations() - before) / double(state.iterations()));
}
BENCHMARK_CAPTURE(classifyOne, unknown_class, "SomeApplicationWindow");
BENCHMARK_CAPTURE(classifyOne, list_view, "SysListView32");

BENCHMARK_MAIN();
