// Download speed and memory of SckFtp::GetFile against the curl command-line tool: the same
// 1 GiB file (sparse, so the server reads it fast) from the same test FTP server on loopback,
// several rounds alternating the two, medians. GetFile runs in a forked child so its peak
// resident memory is the child's own (wait4). Usage: bench_ftp_download [rounds] [MiB]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ftp/sck_ftp.h"
#include "platform/posix/curl_ftp.h"
#include "support/ftp_server.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
  double seconds = 0;
  long maxRssKb = 0;
  bool ok = false;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Waits for the child; its time since start and its peak resident memory.
Run Finish(pid_t pid, Clock::time_point start) {
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  Run r;
  r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  r.maxRssKb = usage.ru_maxrss;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

Run GetFileInChild(const std::string& address, const std::string& dir) {
  std::fflush(nullptr);
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    quo::test::TestApp t;
    quo::CurlFtpService service;
    t.platform.ftp = &service;
    quo::SckFtp ftp(*t.app);
    ftp.SetURL(address);
    ftp.SetUser("quo");
    ftp.SetPass("secret");
    ftp.SetDossier(dir);
    ftp.Connect();
    const bool ok = ftp.Connected() && ftp.GetFile("big.bin", false).ok;
    ftp.Deconnect();
    std::fflush(nullptr);
    ::_exit(ok ? 0 : 1);
  }
  return Finish(pid, start);
}

Run CurlTool(const std::string& address, const std::string& target) {
  std::vector<std::string> args = {
      "curl", "-s", "-S", "-u", "quo:secret", "ftp://" + address + "/big.bin", "-o", target};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = -1;
  if (::posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) return {};
  return Finish(pid, start);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  const long long mib = argc > 2 ? std::atoll(argv[2]) : 1024;
  const long long bytes = mib << 20;

  quo::test::TempDir served, out;
  quo::test::WriteFile(served / "big.bin", "");
  std::filesystem::resize_file(served / "big.bin", static_cast<std::uintmax_t>(bytes));
  {
    // Reading a hole fills the page cache once: do it before anything is timed.
    std::FILE* in = std::fopen((served / "big.bin").c_str(), "rb");
    static char buffer[1 << 20];
    while (in != nullptr && std::fread(buffer, 1, sizeof buffer, in) > 0) {
    }
    if (in != nullptr) std::fclose(in);
  }
  quo::test::FtpTestServer server({.root = served.path()});
  const std::string address = server.address();
  std::printf("ftp_download: %lld MiB from pyftpdlib on %s, %d rounds\n", mib, address.c_str(),
              rounds);

  std::vector<double> getTimes, curlTimes;
  long getRss = 0, curlRss = 0;
  for (int i = 0; i < rounds; ++i) {
    // Both start with the previous file's pages written back, in alternating order.
    Run g, c;
    bool gSize = false, cSize = false;
    for (int k = 0; k < 2; ++k) {
      ::sync();
      if ((k == 0) == (i % 2 == 0)) {
        g = GetFileInChild(address, out.path());
        gSize = std::filesystem::file_size(out / "big.bin") == static_cast<std::uintmax_t>(bytes);
        std::filesystem::remove(out / "big.bin");
      } else {
        c = CurlTool(address, out / "curl.bin");
        cSize = std::filesystem::file_size(out / "curl.bin") == static_cast<std::uintmax_t>(bytes);
        std::filesystem::remove(out / "curl.bin");
      }
    }
    if (!g.ok || !gSize || !c.ok || !cSize) {
      std::fprintf(stderr, "round %d failed (GetFile %d/%d, curl %d/%d)\n", i + 1, g.ok, gSize,
                   c.ok, cSize);
      return 1;
    }
    std::printf("  round %d: GetFile %.3f s, curl %.3f s\n", i + 1, g.seconds, c.seconds);
    getTimes.push_back(g.seconds);
    curlTimes.push_back(c.seconds);
    getRss = std::max(getRss, g.maxRssKb);
    curlRss = std::max(curlRss, c.maxRssKb);
  }
  const double mb = static_cast<double>(bytes) / (1 << 20);
  const double getMedian = Median(getTimes), curlMedian = Median(curlTimes);
  std::printf("GetFile: median %.3f s (%.0f MiB/s), peak RSS %.1f MB\n", getMedian, mb / getMedian,
              getRss / 1024.0);
  std::printf("curl:    median %.3f s (%.0f MiB/s), peak RSS %.1f MB\n", curlMedian,
              mb / curlMedian, curlRss / 1024.0);
  std::printf("ratio GetFile/curl (speed): %.2f (target >= 0.90); GetFile peak RSS %s 64 MB\n",
              curlMedian / getMedian, getRss < 64 * 1024 ? "<" : ">=");
  return 0;
}
