// Memory taken to read one value from a version list at the largest size accepted from a server
// (16 MiB of "version=folder" lines), as peak memory above the process's own, against the file's
// size: the one-value scan the search uses, the whole file read as bytes (the floor: any reader
// holds them once), and the cached parse that settings files use (for comparison).
// Each reader runs in a process of its own, so that one peak does not hide the next.
// Usage: bench_list_memory [megabytes, default 16]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/ini/ini_profile.h"
#include "support/native_services.h"
#include "support/temp_dir.h"

namespace {

long PeakKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// Peak memory the reader adds, in KiB, measured in a child process.
long PeakOf(const std::function<void()>& reader) {
  int pipeFd[2];
  if (pipe(pipeFd) != 0) std::exit(1);
  const pid_t pid = fork();
  if (pid == 0) {
    const long before = PeakKiB();
    reader();
    const long added = PeakKiB() - before;
    if (write(pipeFd[1], &added, sizeof added) != sizeof added) _exit(1);
    _exit(0);
  }
  long added = -1;
  if (read(pipeFd[0], &added, sizeof added) != sizeof added) std::exit(1);
  waitpid(pid, nullptr, 0);
  close(pipeFd[0]);
  close(pipeFd[1]);
  return added;
}

}  // namespace

int main(int argc, char** argv) {
  const long long size = (argc > 1 ? std::atoll(argv[1]) : 16) << 20;
  quo::test::TempDir dir;
  const std::string path = dir / "ListMaj.ini";
  std::string text = "[versions]\r\n";
  for (int n = 0; static_cast<long long>(text.size()) < size - 40; ++n)
    text += "2." + std::to_string(n / 1000) + "." + std::to_string(n % 1000) + "=maj-" +
            std::to_string(n) + "\r\n";
  text += "9.9.9=last\r\n";
  quo::test::WriteFile(path, text);
  const double kib = static_cast<double>(text.size()) / 1024;
  text.clear();
  text.shrink_to_fit();

  quo::test::NativeFiles files;
  std::string value;
  const long bytes = PeakOf([&] { value = files.ReadAll(path)->substr(0, 1); });
  const long once = PeakOf([&] {
    quo::IniProfile ini(files);
    value = ini.GetUncached(path, "versions", "9.9.9", 1023);
    if (value != "last") std::exit(2);
  });
  const long cached = PeakOf([&] {
    quo::IniProfile ini(files);
    value = ini.Get(path, "versions", "9.9.9", 1023);
    if (value != "last") std::exit(2);
  });
  std::printf("list of %.0f KiB: peak memory added / file size\n", kib);
  std::printf("  whole file as bytes (floor)  %.2f\n", static_cast<double>(bytes) / kib);
  std::printf("  one-value scan (the search)  %.2f\n", static_cast<double>(once) / kib);
  std::printf("  cached parse (settings)      %.2f\n", static_cast<double>(cached) / kib);
  return 0;
}
