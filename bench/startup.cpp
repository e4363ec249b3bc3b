// Start-up cost of the program, measured as whole processes against /bin/true in the same run:
//   1. a launch by the product when no check is due (it must end before any window, Qt
//      platform plugin or video library is loaded): wall time and peak memory;
//   2. an interactive start on the offscreen platform until the window has been shown
//      (QUOUPDATE_QUIT_WHEN_SHOWN=1 ends it right after the first paint).
// Usage: bench_startup [program folder of a build, default the build's src/] [runs]
// Build with -DCMAKE_BUILD_TYPE=Release and without sanitizers for meaningful figures.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace {

std::vector<std::string> Environment(const std::vector<std::string>& extra) {
  std::vector<std::string> out(extra);
  for (char** e = environ; *e != nullptr; ++e) out.emplace_back(*e);
  return out;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (auto& t : texts) out.push_back(t.data());
  out.push_back(nullptr);
  return out;
}

void Check(int status, const std::string& what) {
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", what.c_str(), status);
    std::exit(1);
  }
}

// Wall time of one run, from spawning to reaping (stderr discarded).
double WallMs(std::vector<std::string> args, const std::vector<std::string>& extraEnv) {
  std::vector<std::string> envText = Environment(extraEnv);
  auto argv = Pointers(args);
  auto env = Pointers(envText);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) {
    std::perror(args[0].c_str());
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  Check(status, args[0]);
  return std::chrono::duration<double, std::milli>(end - start).count();
}

// Peak resident memory of the program itself (VmHWM read when it exits, under ptrace): the
// usual rusage figure would also count the memory of the process that spawned it.
long PeakKb(std::vector<std::string> args, std::vector<std::string> extraEnv) {
  extraEnv.push_back("ASAN_OPTIONS=detect_leaks=0");  // the leak checker cannot run traced
  std::vector<std::string> envText = Environment(extraEnv);
  auto argv = Pointers(args);
  auto env = Pointers(envText);
  const pid_t pid = fork();
  if (pid == 0) {
    ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    execve(argv[0], argv.data(), env.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);  // stopped at the exec
  ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
  ptrace(PTRACE_CONT, pid, nullptr, nullptr);
  long peak = 0;
  for (;;) {
    waitpid(pid, &status, 0);
    if (WIFEXITED(status) || WIFSIGNALED(status)) break;
    int signal = 0;
    if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
      std::ifstream in("/proc/" + std::to_string(pid) + "/status");
      for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0) peak = std::atol(line.c_str() + 6);
    } else if (WIFSTOPPED(status) && WSTOPSIG(status) != SIGTRAP) {
      signal = WSTOPSIG(status);
    }
    ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<long>(signal)));
  }
  Check(status, args[0]);
  return peak;
}

struct Sample {
  double ms = 0;
  long peakKb = 0;
};

Sample Measure(int runs, const std::vector<std::string>& args,
               const std::vector<std::string>& env = {}) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) ms.push_back(WallMs(args, env));
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], PeakKb(args, env)};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string build = argc > 1 ? argv[1] : QUO_BINARY_DIR "/src";
  const int runs = argc > 2 ? std::atoi(argv[2]) : 30;
  namespace fs = std::filesystem;
  quo::test::TempDir dir;
  for (const char* f : {"QuoUpdate", "libquo_gui.so", "libquo_avi.so", "libquo_mdb.so"})
    fs::copy_file(build + "/" + f, dir / f);
  // Checks disabled: a launch by the product ends at once.
  quo::test::WriteFile(dir / "QuoUpdate.ini", "[temps]\r\nfrequence=0\r\n");
  const std::string exe = dir / "QuoUpdate";

  Measure(3, {"/bin/true"});  // warm the caches
  Measure(3, {exe, "2.1.0", "/opt/quorvanta/"});
  const Sample truth = Measure(runs, {"/bin/true"});
  const Sample noCheck = Measure(runs, {exe, "2.1.0", "/opt/quorvanta/"});
  std::printf("no-check launch : median %7.2f ms, peak %6ld KiB\n", noCheck.ms, noCheck.peakKb);
  std::printf("/bin/true       : median %7.2f ms, peak %6ld KiB\n", truth.ms, truth.peakKb);
  std::printf(
      "                  %+.2f ms against /bin/true (target: within 10 ms), time ratio %.2f,"
      " memory ratio %.2f\n",
      noCheck.ms - truth.ms, noCheck.ms / truth.ms,
      static_cast<double>(noCheck.peakKb) / static_cast<double>(truth.peakKb));

  const std::vector<std::string> offscreen = {"QT_QPA_PLATFORM=offscreen",
                                              "QUOUPDATE_QUIT_WHEN_SHOWN=1"};
  Measure(2, {exe}, offscreen);
  const Sample window = Measure(std::max(5, runs / 3), {exe}, offscreen);
  std::printf(
      "window shown    : median %7.2f ms, peak %6ld KiB (interactive, offscreen, until the"
      " process has ended; target: 150 ms)\n",
      window.ms, window.peakKb);
  std::printf("                  %.1f times /bin/true\n", window.ms / truth.ms);
  return 0;
}
