// Latency probe. Injects mouse moves and clicks with SendInput into windows of another process
// (this program started again with "target") and measures, with the performance counter
// shared by both processes, how long each event takes to reach its window: with no hook at
// all, with a minimal global hook (one send to a cached window per event), and with Qor
// running, in standby (a movement sent to Qor only where what lies under the pointer may have
// changed) and with standby off (idle movements kept in the library); beside it a bare cross-process SendMessage round trip and Qor's working set.
// Prints rows of a Markdown table (see scripts/bench.sh); asserts nothing. Qor's CPU time is
// measured from outside, by scripts/bench.sh, with the helper modes:
//
//   qor_latency_probe [events]          (default 2000)
//   qor_latency_probe move SECONDS      moves the pointer 1000 times a second
//   qor_latency_probe command ID        a menu command to Qor's main window (0: close it)
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "rules/app_rules.h"
#include "resources/resource.h"

namespace {
const char kTargetClass[] = "QorProbeTarget";
const char kSinkClass[] = "QorProbeSink";
const char kReceiptsName[] = "QorProbeReceipts";
const UINT kPing = WM_APP + 5;

struct Receipts {
  volatile LONG count;
  LONGLONG when;  // performance counter at the latest receipt
};
Receipts* receipts;
WNDPROC listViewProc;

void recordReceipt(UINT message) {
  if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
      message == WM_LBUTTONDBLCLK) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    receipts->when = now.QuadPart;
    InterlockedIncrement(&receipts->count);
  }
}

LRESULT CALLBACK targetProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  recordReceipt(m);
  switch (m) {
    case kPing: return 1;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(w, m, wp, lp);
  }
}

LRESULT CALLBACK listViewSpy(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  recordReceipt(m);
  return CallWindowProcA(listViewProc, w, m, wp, lp);
}

Receipts* mapReceipts() {
  HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Receipts),
                                kReceiptsName);
  return h ? static_cast<Receipts*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Receipts)))
           : nullptr;
}

// The window under test: a plain client area on the left, a list view on the right.
int runTarget() {
  receipts = mapReceipts();
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = targetProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kTargetClass;
  RegisterClassA(&wc);
  HWND main = CreateWindowExA(WS_EX_TOPMOST, kTargetClass, "probe target", WS_POPUP | WS_VISIBLE,
                              0, 0, 800, 400, nullptr, nullptr, wc.hInstance, nullptr);
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 400, 0, 400,
                              400, main, nullptr, wc.hInstance, nullptr);
  listViewProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listViewSpy)));
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

LRESULT CALLBACK sinkProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return m == WM_USER + 90 ? 1 : DefWindowProcA(w, m, wp, lp);
}

DWORD WINAPI sinkThread(void*) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = sinkProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kSinkClass;
  RegisterClassA(&wc);
  CreateWindowExA(0, kSinkClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

double ticksPerMicrosecond;

void inject(DWORD flags, int x, int y) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

// Microseconds from injection to receipt; negative when the event never arrived.
double timeOne(DWORD flags, int x, int y) {
  LONG before = receipts->count;
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  inject(flags, x, y);
  for (DWORD waited = GetTickCount(); receipts->count == before;) {
    if (GetTickCount() - waited > 1000) return -1;
    SwitchToThread();
  }
  return double(receipts->when - start.QuadPart) / ticksPerMicrosecond;
}

struct Figures {
  double median, p99;
  int lost;
};

Figures summarise(std::vector<double>& samples, int lost) {
  if (samples.empty()) return {0, 0, lost};
  std::sort(samples.begin(), samples.end());
  return {samples[samples.size() / 2], samples[samples.size() * 99 / 100], lost};
}

enum { kMovePlain, kMoveList, kMoveAcross, kClick, kCases };
const char* const kCaseNames[kCases] = {"move over a plain window", "move over a list view",
                                        "move from one window to the other",
                                        "left button press/release"};

// Every sample of each case, gathered over the rounds.
struct Samples {
  std::vector<double> us[kCases];
  int lost[kCases] = {};
};

void measure(int events, Samples& into) {
  for (int c = 0; c < kCases; ++c) {
    int x = c == kMoveList ? 600 : 200;
    for (int i = 0; i < events; ++i) {
      if (c == kMoveAcross) x = i % 2 ? 600 : 200;
      double us = c == kClick ? timeOne(i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN, x, 200)
                              : timeOne(MOUSEEVENTF_MOVE, x + (i % 2) * 3, 200 + (i % 3));
      if (us < 0) ++into.lost[c];
      else into.us[c].push_back(us);
    }
  }
}

Figures roundTrip(HWND target, int count) {
  std::vector<double> samples;
  for (int i = 0; i < count; ++i) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    SendMessageA(target, kPing, 0, 0);
    QueryPerformanceCounter(&b);
    samples.push_back(double(b.QuadPart - a.QuadPart) / ticksPerMicrosecond);
  }
  return summarise(samples, 0);
}

HWND waitForWindow(const char* cls, const char* title, DWORD ms) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
    if (HWND w = FindWindowA(cls, title)) return w;
  return nullptr;
}

bool startProcess(const char* commandLine, PROCESS_INFORMATION* pi) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  char line[MAX_PATH * 2];
  lstrcpynA(line, commandLine, sizeof line);
  return CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi) != 0;
}

void besideMe(const char* file, char (&path)[MAX_PATH]) {
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/') --n;
  lstrcpynA(path + n, file, MAX_PATH - n);
}

// The pointer moves back and forth over the screen's middle, paced by the performance counter.
int moveFor(int seconds) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const LONGLONG total = 1000LL * seconds;
  for (LONGLONG sent = 0; sent < total;) {
    QueryPerformanceCounter(&now);
    const LONGLONG due = (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
    for (; sent < due && sent < total; ++sent) inject(MOUSEEVENTF_MOVE, 300 + sent % 50, 300);
    Sleep(1);
  }
  return 0;
}

int commandQor(UINT id) {
  HWND qor = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
  if (!qor) return 1;
  PostMessageA(qor, id ? WM_COMMAND : WM_CLOSE, id, 0);
  return 0;
}

// One row of the Markdown table that scripts/bench.sh prints.
void printRow(const char* scenario, const char* what, const Figures& f, const Figures* none) {
  std::printf("| %s, %s: median / p99 | %.0f / %.0f us", scenario, what, f.median, f.p99);
  if (none) std::printf(", %.0f us added", f.median - none->median);
  if (f.lost) std::printf(" (%d lost)", f.lost);
  std::printf(" | |\n");
}
}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && lstrcmpA(argv[1], "target") == 0) return runTarget();
  if (argc > 2 && lstrcmpA(argv[1], "move") == 0) return moveFor(std::atoi(argv[2]));
  if (argc > 2 && lstrcmpA(argv[1], "command") == 0) return commandQor(std::atoi(argv[2]));
  const int events = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  ticksPerMicrosecond = double(frequency.QuadPart) / 1e6;
  receipts = mapReceipts();
  CreateThread(nullptr, 0, sinkThread, nullptr, 0, nullptr);

  char self[MAX_PATH], command[MAX_PATH + 16];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  wsprintfA(command, "\"%s\" target", self);
  PROCESS_INFORMATION target;
  HWND targetWindow = nullptr;
  if (!receipts || !startProcess(command, &target) ||
      !(targetWindow = waitForWindow(kTargetClass, nullptr, 10000))) {
    std::printf("latency probe: the target window did not come up\n");
    return 1;
  }
  // The scenarios take turns, a few rounds each, so that a slow spell of the machine does
  // not fall on one of them alone.
  const int kRounds = 3;
  const int perRound = std::max(10, events / kRounds);
  Samples none, minimal, qor, qorIdle, warmUp;
  measure(50, warmUp);

  char path[MAX_PATH];
  besideMe("minimal_hook.dll", path);
  HMODULE hookLibrary = LoadLibraryA(path);
  HOOKPROC hookProc = nullptr;
  if (hookLibrary) {
    FARPROC found = GetProcAddress(hookLibrary, "MinimalMouseHook");
    static_assert(sizeof found == sizeof hookProc, "function pointers");
    std::memcpy(&hookProc, &found, sizeof hookProc);
  }
  char qorPath[MAX_PATH];
  besideMe("Qor.exe", qorPath);
  bool qorRan = GetFileAttributesA(qorPath) != INVALID_FILE_ATTRIBUTES;
  SIZE_T workingSet = 0;
  for (int round = 0; round < kRounds; ++round) {
    measure(perRound, none);
    if (HHOOK hook = hookProc ? SetWindowsHookExA(WH_MOUSE, hookProc, hookLibrary, 0) : nullptr) {
      measure(perRound, minimal);
      UnhookWindowsHookEx(hook);
    }
    PROCESS_INFORMATION qorProcess = {};
    if (!qorRan || !startProcess(qorPath, &qorProcess) ||
        !waitForWindow("hookclassN", "hookwindowN", 10000)) {
      qorRan = false;
      continue;
    }
    Sleep(1000);  // the hooks are installed while the hook window is created
    measure(perRound, qor);
    commandQor(IDM_STANDBY);  // standby off: no gesture can start, movements are kept
    Sleep(200);
    measure(perRound, qorIdle);
    if (round == kRounds - 1) {
      PROCESS_MEMORY_COUNTERS memory = {};
      if (GetProcessMemoryInfo(qorProcess.hProcess, &memory, sizeof memory))
        workingSet = memory.WorkingSetSize;
    }
    commandQor(0);
    WaitForSingleObject(qorProcess.hProcess, 10000);
    CloseHandle(qorProcess.hProcess);
    CloseHandle(qorProcess.hThread);
  }
  Figures ping = roundTrip(targetWindow, events);
  PostMessageA(targetWindow, WM_CLOSE, 0, 0);
  WaitForSingleObject(target.hProcess, 5000);

  Figures noneF[kCases], minimalF[kCases], qorF[kCases], idleF[kCases];
  for (int c = 0; c < kCases; ++c) {
    noneF[c] = summarise(none.us[c], none.lost[c]);
    minimalF[c] = summarise(minimal.us[c], minimal.lost[c]);
    qorF[c] = summarise(qor.us[c], qor.lost[c]);
    idleF[c] = summarise(qorIdle.us[c], qorIdle.lost[c]);
  }
  printRow("bare SendMessage", "cross-process round trip", ping, nullptr);
  for (int c = 0; c < kCases; ++c) printRow("no hook", kCaseNames[c], noneF[c], nullptr);
  for (int c = 0; c < kCases; ++c) printRow("minimal hook", kCaseNames[c], minimalF[c], &noneF[c]);
  if (!qorRan) {
    std::printf("| Qor | did not start (Qor.exe beside the probe?) | |\n");
    return 0;
  }
  for (int c = 0; c < kCases; ++c) printRow("Qor in standby", kCaseNames[c], qorF[c], &noneF[c]);
  for (int c = 0; c < kCases; ++c)
    printRow("Qor, standby off", kCaseNames[c], idleF[c], &noneF[c]);
  const char* const targets[kCases] = {"at most 0.25", "at most 1", "", "at most 1.2"};
  const char* const idleTargets[kCases] = {"at most 0.1", "at most 0.1", "", "at most 1.2"};
  for (int c = 0; c < kCases; ++c) {
    double floor = minimalF[c].median - noneF[c].median;
    std::printf("| Qor's added latency / the minimal hook's, in standby, %s | %.2f | %s |\n",
                kCaseNames[c], floor > 0 ? (qorF[c].median - noneF[c].median) / floor : 0.0,
                targets[c]);
    std::printf("| Qor's added latency / the minimal hook's, standby off, %s | %.2f | %s |\n",
                kCaseNames[c], floor > 0 ? (idleF[c].median - noneF[c].median) / floor : 0.0,
                idleTargets[c]);
  }
  std::printf("| Qor's working set | %.1f MiB | |\n", double(workingSet) / (1024.0 * 1024.0));
  return 0;
}
