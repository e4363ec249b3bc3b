// How fast a program's main window answers while it works: starts the program with the command
// tail given (as the product launches QuoUpdate.exe: no QUOUPDATE_UNATTENDED, so a person may
// watch), finds its main window, then every 10 ms sends it WM_NULL and records how long the
// answer takes, until the program ends. Any message box of the program is answered OK meanwhile,
// and once its phase label shows the done text the window is closed, as a person would.
// Prints the program's exit status, the count of answers and their p50, p99 and max in ms.
// Usage: bench_responsiveness.exe <program.exe> <command tail> [window class, default
// QuoUpdateForm] [done text, default "Mise à jour correctement terminée"]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "support/window_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace t = quo::test;

// Nearest rank.
double Percentile(const std::vector<double>& sorted, double p) {
  return sorted[static_cast<size_t>(std::max(1.0, std::ceil(p * sorted.size()))) - 1];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: %s program.exe \"command tail\" [window class]\n", argv[0]);
    return 2;
  }
  const std::wstring exe = quo::win32::Widen(argv[1]);
  const std::string clsName = argc >= 4 ? argv[3] : "QuoUpdateForm";
  const std::string done = argc == 5 ? argv[4] : "Mise à jour correctement terminée";
  const std::wstring cls = quo::win32::Widen(clsName);
  std::wstring line = L"\"" + exe + L"\" " + quo::win32::Widen(argv[2]);
  SetEnvironmentVariableW(L"QUOUPDATE_UNATTENDED", nullptr);
  SetEnvironmentVariableW(L"QUOUPDATE_QUIT_WHEN_SHOWN", nullptr);
  STARTUPINFOW si{.cb = sizeof si};
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    std::fprintf(stderr, "%s not started: error %lu\n", argv[1], GetLastError());
    return 1;
  }
  std::vector<double> answers;  // ms
  HWND window = nullptr, phase = nullptr;
  bool closed = false;
  int boxes = 0;
  for (const auto end = Clock::now() + std::chrono::minutes(30);
       WaitForSingleObject(pi.hProcess, 10) == WAIT_TIMEOUT;) {
    if (Clock::now() > end) {
      std::fprintf(stderr, "still running after 30 minutes: ended\n");
      TerminateProcess(pi.hProcess, 1);
      break;
    }
    if (const HWND box = t::WaitForMessageBox(pi.dwProcessId, t::Ms(0))) {
      t::Answer(box, IDOK), ++boxes;
      Sleep(50);  // until it goes
    }
    if (window == nullptr) {
      window = t::WaitForWindow(pi.dwProcessId, cls.c_str(), t::Ms(0));
      if (window != nullptr) phase = t::FindControl(window, quo::MainWindowDesign(), "lblPhase");
    }
    if (window == nullptr) continue;
    if (phase != nullptr && !closed && t::Text(phase).find(done) != std::string::npos)
      closed = PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD_PTR r = 0;
    const auto sent = Clock::now();
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r) != 0 ||
        GetLastError() == ERROR_TIMEOUT)
      answers.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
  }
  DWORD status = 1;
  WaitForSingleObject(pi.hProcess, INFINITE);
  GetExitCodeProcess(pi.hProcess, &status);
  CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
  std::printf("exit status %lu, %d message box(es) answered\n", status, boxes);
  if (answers.empty()) {
    std::fprintf(stderr, "no main window of class %s was shown\n", clsName.c_str());
    return 1;
  }
  std::sort(answers.begin(), answers.end());
  std::printf("answers %zu, p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", answers.size(),
              Percentile(answers, 0.5), Percentile(answers, 0.99), answers.back());
  return status == 0 ? 0 : 1;
}
