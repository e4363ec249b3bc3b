// Download speed and memory of FtpConnection::DownloadFile against the curl command-line tool: the
// same 1 GiB file (sparse, so the server reads it fast) from the same test FTP server on loopback,
// several rounds taking turns, medians. DownloadFile runs twice a round, plainly and with its
// SHA-256 taken as the bytes arrive (checked against the digest computed beforehand), each in a
// forked child so its peak resident memory is the child's own (wait4). The child also reports the
// longest pause of the window during the download: the longest time between two runs of its
// event handling, from the call of DownloadFile to its return.
// Usage: bench_ftp_download [rounds] [MiB] [base folder of the files, /tmp by default]
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

#include "ftp/ftp_connection.h"
#include "platform/crypto/openssl_crypto.h"
#include "platform/curl/curl_ftp_service.h"
#include "support/ftp_server.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
  double seconds = 0, cpuSeconds = 0;  // time since start; user and system time of the child
  long maxRssKb = 0;
  bool ok = false;
  double longestPauseMs = 0;  // DownloadFile only
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
  r.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  r.maxRssKb = usage.ru_maxrss;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

double MsSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// DownloadFile of big.bin into dir; with expected, hashed on the way and checked against it.
Run DownloadInChild(const std::string& address, const std::string& dir, long long bytes,
                   const quo::Sha256Digest* expected) {
  int report[2];
  if (::pipe(report) != 0) return {};
  quo::test::TestApp t;  // made here, so its program folder goes when the child is done
  std::fflush(nullptr);
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    quo::CurlFtpService service;
    t.platform.ftp = &service;
    quo::FtpConnection ftp(*t.app);
    ftp.SetURL(address);
    ftp.SetUser("quo");
    ftp.SetPass("secret");
    ftp.SetLocalDir(dir);
    ftp.Connect();
    auto lastPump = Clock::now();
    double longest = 0;
    t.windowing.onPump = [&] {
      longest = std::max(longest, MsSince(lastPump));
      lastPump = Clock::now();
    };
    const auto sha = expected != nullptr ? t.crypto.NewSha256() : nullptr;
    const quo::DownloadCheck check =
        sha ? quo::DownloadCheck{bytes, false, sha.get()} : quo::DownloadCheck{};
    lastPump = Clock::now();
    bool ok = ftp.Connected() && ftp.DownloadFile("big.bin", check).ok;
    longest = std::max(longest, MsSince(lastPump));
    ok = ok && (!sha || sha->Final() == *expected);
    ftp.Disconnect();
    std::fflush(nullptr);
    ok = ok && ::write(report[1], &longest, sizeof longest) == sizeof longest;
    ::_exit(ok ? 0 : 1);
  }
  ::close(report[1]);
  Run r = Finish(pid, start);
  if (::read(report[0], &r.longestPauseMs, sizeof r.longestPauseMs) != sizeof r.longestPauseMs)
    r.ok = false;
  ::close(report[0]);
  return r;
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

// SHA-256 of bytes zero bytes, hashed in memory: the digest a hashed download must give, and how
// long the hashing alone takes.
quo::Sha256Digest DigestOfZeros(long long bytes, double& seconds) {
  quo::OpenSslCrypto crypto;
  const auto sha = crypto.NewSha256();
  static const std::vector<char> zeros(1 << 20);
  const auto start = Clock::now();
  for (long long left = bytes; left > 0; left -= static_cast<long long>(zeros.size()))
    sha->Update(zeros.data(), static_cast<std::size_t>(std::min<long long>(left, zeros.size())));
  const quo::Sha256Digest digest = sha->Final();
  seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return digest;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  const long long mib = argc > 2 ? std::atoll(argv[2]) : 1024;
  const std::string base = argc > 3 ? argv[3] : "/tmp";
  const long long bytes = mib << 20;

  quo::test::TempDir served(base), out(base);
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
  double hashSeconds = 0;
  const quo::Sha256Digest zeros = DigestOfZeros(bytes, hashSeconds);
  quo::test::FtpTestServer server({.root = served.path()});
  const std::string address = server.address();
  std::printf("ftp_download: %lld MiB from pyftpdlib on %s into %s, %d rounds\n", mib,
              address.c_str(), out.path().c_str(), rounds);

  enum { kGet, kHashed, kCurl, kContenders };
  const char* const names[kContenders] = {"DownloadFile", "hashed DownloadFile", "curl"};
  std::vector<double> times[kContenders], cpuTimes[kContenders];
  long rss[kContenders] = {};
  double longestPause = 0;
  const auto size = static_cast<std::uintmax_t>(bytes);
  for (int i = 0; i < rounds; ++i) {
    // Each starts with the previous file's pages written back; who goes first changes each round.
    Run runs[kContenders];
    for (int k = 0; k < kContenders; ++k) {
      const int who = (i + k) % kContenders;
      const std::string target = out / (who == kCurl ? "curl.bin" : "big.bin");
      ::sync();
      runs[who] = who == kCurl ? CurlTool(address, target)
                               : DownloadInChild(address, out.path(), bytes,
                                                who == kHashed ? &zeros : nullptr);
      std::error_code ec;
      runs[who].ok = runs[who].ok && std::filesystem::file_size(target, ec) == size;
      std::filesystem::remove(target, ec);
      if (!runs[who].ok) {
        std::fprintf(stderr, "round %d: %s failed\n", i + 1, names[who]);
        return 1;
      }
    }
    std::printf(
        "  round %d: DownloadFile %.3f s, hashed DownloadFile %.3f s (window paused %.0f ms at most), curl "
        "%.3f s\n",
        i + 1, runs[kGet].seconds, runs[kHashed].seconds, runs[kHashed].longestPauseMs,
        runs[kCurl].seconds);
    for (int who = 0; who < kContenders; ++who) {
      times[who].push_back(runs[who].seconds);
      cpuTimes[who].push_back(runs[who].cpuSeconds);
      rss[who] = std::max(rss[who], runs[who].maxRssKb);
    }
    longestPause = std::max(longestPause, runs[kHashed].longestPauseMs);
  }
  const double mb = static_cast<double>(bytes) / (1 << 20);
  double median[kContenders];
  for (int who = 0; who < kContenders; ++who) {
    median[who] = Median(times[who]);
    std::printf("%-15s median %.3f s (%.0f MiB/s), CPU %.3f s, peak RSS %.1f MB\n",
                (names[who] + std::string(":")).c_str(), median[who], mb / median[who],
                Median(cpuTimes[who]), rss[who] / 1024.0);
  }
  std::printf("SHA-256 alone, in memory: %.3f s (%.0f MiB/s)\n", hashSeconds, mb / hashSeconds);
  std::printf("ratio DownloadFile/curl (speed): %.2f (target >= 0.90); DownloadFile peak RSS %s 64 MB\n",
              median[kCurl] / median[kGet], rss[kGet] < 64 * 1024 ? "<" : ">=");
  std::printf("ratio hashed DownloadFile/curl (speed): %.2f (target >= 0.90)\n",
              median[kCurl] / median[kHashed]);
  std::printf("longest pause of the window during a hashed DownloadFile: %.0f ms (target <= 100 ms)\n",
              longestPause);
  return 0;
}
