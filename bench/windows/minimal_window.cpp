// The least a Win32 program does to show a window: registers a class, shows one top-level window
// of it, and ends with status 0 once its first WM_PAINT has been handled. bench/wine_window times
// it under Wine as the reference for QuoUpdate.exe's start to its shown window.
// Usage: bench_minimal_window.exe [seconds [ms]]
// With seconds, the window stays that long after its first paint, its thread stalling ms every
// 500 ms: a known target for bench_responsiveness's measuring loop.
#include <windows.h>

#include <cstdlib>

namespace {

int stayMs = 0, stallMs = 0;

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(w, &ps);
      FillRect(ps.hdc, &ps.rcPaint, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
      EndPaint(w, &ps);
      if (stayMs == 0) PostQuitMessage(0);
      if (stayMs > 0 && SetTimer(w, 1, 500, nullptr)) SetTimer(w, 2, stayMs, nullptr);
      stayMs = -1;  // once
      return 0;
    }
    case WM_TIMER:
      if (wp == 2) PostQuitMessage(0);
      if (wp == 1) Sleep(stallMs);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) stayMs = std::atoi(argv[1]) * 1000;
  if (argc > 2) stallMs = std::atoi(argv[2]);
  WNDCLASSW c{};
  c.lpfnWndProc = Proc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = L"QuoMinimalWindow";
  if (!RegisterClassW(&c)) return 1;
  const HWND w = CreateWindowExW(0, c.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 320, 210, nullptr, nullptr, c.hInstance, nullptr);
  if (w == nullptr) return 1;
  ShowWindow(w, SW_SHOWNORMAL);
  UpdateWindow(w);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
