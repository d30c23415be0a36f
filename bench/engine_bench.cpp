// Nanoseconds per engineMouseEvent through the fake window system, and heap allocations per
// event: every mouse event of the desktop waits on this.
#include <benchmark/benchmark.h>

#include "bench/alloc_counter.h"
#include "engine/cursor.h"
#include "engine/gesture.h"
#include "engine/shell_windows.h"
#include "settings/profile_store.h"
#include "settings/settings.h"
#include "settings/user_options.h"
#include "tests/fake/fakeos.h"

namespace {
// A window of the given class in standby, the engine's cursors loaded.
HWND standbyOver(const char* cls) {
  releaseCursors();
  fake::reset();
  fake::logMessages = false;
  taskbarWindow = startButton = desktopHost = nullptr;
  copySettings(currentSettings, defaultSettings);
  loadCursors();
  gesture = GestureState{};
  gesture.panState = kPanStandby;
  HWND w = fake::addWindow(nullptr, cls, {0, 0, 800, 600});
  fake::window(w).hitFlags = LVHT_ONITEMLABEL;  // what a list view answers over a label
  return w;
}

void report(benchmark::State& state, long allocationsBefore) {
  state.counters["allocs_per_event"] = benchmark::Counter(
      double(heapAllocations() - allocationsBefore) / double(state.iterations()));
}

// listed: the window's program runs with a profile of its own, and a program is left alone.
void movement(benchmark::State& state, const char* cls, int32_t hitCode, bool listed = false) {
  HWND w = standbyOver(cls);
  const char withProfile[] = "app.exe\tfast\0", leftAlone[] = "other.exe\0";
  fake::setValue(kProfileStoreKey, "ProgramProfiles", REG_MULTI_SZ, withProfile,
                 listed ? sizeof withProfile : 2);
  fake::setValue(kProfileStoreKey, "LeaveAlone", REG_MULTI_SZ, leftAlone, listed ? sizeof leftAlone : 2);
  fake::processImages[fake::kApplicationProcess] = "C:\\x\\app.exe";
  loadUserOptions();
  engineMouseEvent(w, WM_MOUSEMOVE, hitCode, 100, 100);  // the first applies its cursor set
  long before = heapAllocations();
  int32_t x = 100;
  for (auto _ : state) {
    x ^= 1;
    benchmark::DoNotOptimize(engineMouseEvent(w, WM_MOUSEMOVE, hitCode, x, 100));
  }
  report(state, before);
}
BENCHMARK_CAPTURE(movement, plain_client_area, "SomeApplicationWindow", HTCLIENT);
BENCHMARK_CAPTURE(movement, list_view, "SysListView32", HTCLIENT);
BENCHMARK_CAPTURE(movement, listed_program, "SomeApplicationWindow", HTCLIENT, true);
// A hit code that explains nothing: the second try asks the window under the point.
BENCHMARK_CAPTURE(movement, second_try, "Static", HTERROR);

// Left presses and releases in turn over a client area in standby.
void buttonEvent(benchmark::State& state) {
  HWND w = standbyOver("SomeApplicationWindow");
  engineMouseEvent(w, WM_MOUSEMOVE, HTCLIENT, 100, 100);
  engineMouseEvent(w, WM_LBUTTONDOWN, HTCLIENT, 100, 100);  // the first reloads the cursors
  engineMouseEvent(w, WM_LBUTTONUP, HTCLIENT, 100, 100);
  long before = heapAllocations();
  UINT message = WM_LBUTTONDOWN;
  for (auto _ : state) {
    benchmark::DoNotOptimize(engineMouseEvent(w, message, HTCLIENT, 100, 100));
    message ^= WM_LBUTTONDOWN ^ WM_LBUTTONUP;
  }
  report(state, before);
}
BENCHMARK(buttonEvent);
}  // namespace
