// A 1 GiB download cut at half and continued: the first DownloadFile (DownloadCheck with resume),
// in a forked child, is killed (SIGKILL) as soon as its .part holds half the file; a second
// DownloadFile continues that .part and takes the SHA-256 of the whole file. Prints, for every
// round, what the .part kept, the bytes the server sent to the second run (from the server's own
// transfer log) against the file's size, whether the digest is the file's, and the longest pause of
// the window during the second run (which first hashes what the .part holds).
// Usage: bench_resume_download [rounds] [MiB] [base folder of the files, /dev/shm by default]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ftp/ftp_connection.h"
#include "platform/crypto/openssl_crypto.h"
#include "platform/curl/curl_ftp_service.h"
#include "support/ftp_server.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// A file of bytes pseudo-random bytes (not zeros: a file put together at a wrong offset keeps
// the digest of zeros), and its SHA-256.
quo::Sha256Digest WriteServedFile(const std::string& path, long long bytes, quo::Crypto& crypto) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("cannot write " + path);
  const auto sha = crypto.NewSha256();
  std::vector<std::uint64_t> block(1 << 17);
  std::uint64_t x = 0x9e3779b97f4a7c15ULL;
  for (long long left = bytes; left > 0;) {
    for (auto& word : block) {
      x ^= x << 13, x ^= x >> 7, x ^= x << 17;
      word = x;
    }
    const auto n = static_cast<std::size_t>(std::min<long long>(left, block.size() * 8));
    std::fwrite(block.data(), 1, n, f);
    sha->Update(block.data(), n);
    left -= static_cast<long long>(n);
  }
  if (std::fclose(f) != 0) throw std::runtime_error("cannot write " + path);
  return sha->Final();
}

// A program with its FtpConnection to the test server, downloading into dir; connected on demand.
struct Client {
  Client(const std::string& address, const std::string& dir) {
    t.platform.ftp = &service;
    ftp.SetURL(address);
    ftp.SetUser("quo");
    ftp.SetPass("secret");
    ftp.SetLocalDir(dir);
  }
  quo::test::TestApp t;
  quo::CurlFtpService service;
  quo::FtpConnection ftp{*t.app};
};

// What the server logged about transfers after from: the bytes they sent, and how many there
// were that ended (complete or not).
struct Sent {
  long long bytes = 0;
  int transfers = 0;
  int complete = 0;
};
Sent SentAfter(const quo::test::FtpTestServer& server, std::size_t from) {
  std::istringstream lines(server.output().substr(from));
  Sent s;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find(" bytes=");
    if (at == std::string::npos) continue;
    s.bytes += std::atoll(line.c_str() + at + 7);
    ++s.transfers;
    s.complete += line.find(" completed=1 ") != std::string::npos;
  }
  return s;
}

// Waits (at most 10 s) until the server logged a transfer that is complete (or any when
// complete is false) after from.
bool AwaitTransfer(const quo::test::FtpTestServer& server, std::size_t from, bool complete) {
  for (int i = 0; i < 1000; ++i) {
    const Sent s = SentAfter(server, from);
    if (complete ? s.complete > 0 : s.transfers > 0) return true;
    ::usleep(10000);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
  const long long mib = argc > 2 ? std::atoll(argv[2]) : 1024;
  const std::string base = argc > 3 ? argv[3] : "/dev/shm";
  const long long bytes = mib << 20;

  quo::test::TempDir served(base), out(base);
  quo::OpenSslCrypto crypto;
  const quo::Sha256Digest digest = WriteServedFile(served / "big.bin", bytes, crypto);
  quo::test::FtpTestServer server({.root = served.path()});
  const std::string address = server.address(), part = out / "big.bin.part";
  std::printf("resume_download: %lld MiB from pyftpdlib on %s into %s, cut at half, %d rounds\n",
              mib, address.c_str(), out.path().c_str(), rounds);

  double worstRatio = 0, longestPause = 0;
  for (int i = 0; i < rounds; ++i) {
    std::filesystem::remove(out / "big.bin");
    std::filesystem::remove(part);
    std::size_t logFrom = server.output().size();
    {
      // Made here, so its program folder goes with it once the child is killed.
      Client first(address, out.path());
      std::fflush(nullptr);
      const pid_t pid = ::fork();
      if (pid == 0) {
        first.ftp.Connect();
        const auto sha = first.t.crypto.NewSha256();
        const bool ok =
            first.ftp.Connected() && first.ftp.DownloadFile("big.bin", {bytes, true, sha.get()}).ok;
        ::_exit(ok ? 0 : 1);
      }
      std::error_code ec;
      bool ended = false;
      while (!ended &&
             !(std::filesystem::file_size(part, ec) >= std::uintmax_t(bytes / 2) && !ec)) {
        ended = ::waitpid(pid, nullptr, WNOHANG) == pid;
        ::usleep(200);
      }
      if (ended) {
        std::fprintf(stderr, "round %d: the first download ended before half\n", i + 1);
        return 1;
      }
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    const auto kept = static_cast<long long>(std::filesystem::file_size(part));
    if (!AwaitTransfer(server, logFrom, false)) {
      std::fprintf(stderr, "round %d: the server did not log the cut transfer\n", i + 1);
      return 1;
    }
    logFrom = server.output().size();

    Client second(address, out.path());
    second.ftp.Connect();
    auto lastPump = Clock::now();
    double paused = 0;
    second.t.windowing.onPump = [&] {
      paused = std::max(paused, MsSince(lastPump));
      lastPump = Clock::now();
    };
    const auto sha = crypto.NewSha256();
    const auto start = lastPump = Clock::now();
    const bool ok =
        second.ftp.Connected() && second.ftp.DownloadFile("big.bin", {bytes, true, sha.get()}).ok;
    paused = std::max(paused, MsSince(lastPump));
    const double seconds = MsSince(start) / 1000;
    second.ftp.Disconnect();
    std::error_code ec;
    const bool whole = ok &&
                       std::filesystem::file_size(out / "big.bin", ec) == std::uintmax_t(bytes) &&
                       sha->Final() == digest;
    if (!whole || !AwaitTransfer(server, logFrom, true)) {
      std::fprintf(stderr, "round %d: the resumed download failed (ok %d)\n", i + 1, ok);
      return 1;
    }
    const Sent sent = SentAfter(server, logFrom);
    const double ratio = static_cast<double>(sent.bytes) / static_cast<double>(bytes);
    std::printf(
        "  round %d: .part kept %.1f MiB; second run: %.1f MiB sent in %d transfer(s) (%.3f of the "
        "file), %.3f s, digest right, window paused %.0f ms at most\n",
        i + 1, kept / 1048576.0, sent.bytes / 1048576.0, sent.transfers, ratio, seconds, paused);
    worstRatio = std::max(worstRatio, ratio);
    longestPause = std::max(longestPause, paused);
  }
  std::printf(
      "bytes sent to the resumed download / file size (worst round): %.3f (target <= 0.55)\n",
      worstRatio);
  std::printf("longest pause of the window during a resumed download: %.0f ms (target <= 100 ms)\n",
              longestPause);
  return 0;
}
