// Extraction speed and memory: a generated stored RAR archive (many small files in subfolders
// and one large file) extracted by ExtractArchive and by `bsdtar -xf`, several rounds each,
// interleaved. Prints the time ratio (ours / bsdtar) and the peak resident memory of both for
// two archive sizes: it must stay flat when the archive grows.
//
//   bench_extract [rounds] [small files] [large MiB]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/libarchive/libarchive_rar.h"
#include "support/test_platform.h"
#include "update/extract_archive.h"
#include "writers/rar4_writer.h"

using namespace quo::writers;  // NOLINT: the archive writer's names read as the tests' own

extern char** environ;

namespace {

using quo::writers::Rar4File;
using Clock = std::chrono::steady_clock;

void MakeArchive(const std::string& path, int smallFiles, std::uint64_t largeBytes) {
  quo::writers::Rar4Writer w(path);
  for (int i = 0; i < smallFiles; ++i) {
    std::string data(1024 + (i * 7919) % 15000, static_cast<char>('a' + i % 26));
    w.Add(Rar4File("pkg\\d" + std::to_string(i % 32) + "\\f" + std::to_string(i) + ".dat", data));
  }
  w.AddGenerated("pkg\\big.bin", largeBytes, [](char* buf, std::size_t n, std::uint64_t off) {
    for (std::size_t i = 0; i < n; ++i) buf[i] = static_cast<char>((off + i) * 2654435761u >> 13);
  });
  w.Finish();
}

// Peak resident memory of this process since the last reset, in KiB.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }
long PeakKiB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

struct Run {
  double seconds;
  long peakKiB;
};

// Removes the previous result and flushes it, so that no round pays for another's writeback.
void Clear(const std::string& dest) {
  std::filesystem::remove_all(dest);
  ::sync();
}

Run Ours(quo::AppContext& app, const std::string& archive, const std::string& dest) {
  Clear(dest);
  ResetPeak();
  const auto t0 = Clock::now();
  const int errors = quo::unrar::ExtractArchive(app, archive, dest, "");
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  if (errors != 0) {
    std::fprintf(stderr, "extraction failed: %d errors\n", errors);
    std::exit(1);
  }
  return {s, PeakKiB()};
}

Run Bsdtar(const std::string& archive, const std::string& dest) {
  Clear(dest);
  std::filesystem::create_directories(dest);
  std::vector<std::string> args = {"bsdtar", "-xf", archive, "-C", dest};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const auto t0 = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, "bsdtar", nullptr, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start bsdtar\n");
    std::exit(1);
  }
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "bsdtar failed\n");
    std::exit(1);
  }
  return {s, ru.ru_maxrss};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  const int smallFiles = argc > 2 ? std::atoi(argv[2]) : 3000;
  const std::uint64_t largeMiB = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 256;

  quo::test::TestApp t;
  quo::LibarchiveRar rar;
  t.platform.rar = &rar;
  // In memory (tmpfs) by default, so that disk writeback does not drown the extraction's own
  // cost; QUO_BENCH_DIR names another folder (a disk) to measure with the disk.
  const char* env = std::getenv("QUO_BENCH_DIR");
  std::string work = env != nullptr                              ? env
                     : std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                                 : t.dir.path();
  work += "/quo_bench_extract_" + std::to_string(::getpid()) + "/";
  std::filesystem::create_directories(work);
  const std::string arc = work + "bench.rar", ours = work + "ours/", ref = work + "ref/";

  std::printf("bench_extract in %s: %d rounds, %d small files + one file of %llu MiB, stored\n",
              work.c_str(), rounds, smallFiles, static_cast<unsigned long long>(largeMiB));
  MakeArchive(arc, smallFiles, largeMiB << 20);
  Ours(*t.app, arc, ours);  // warm the page cache
  Bsdtar(arc, ref);
  std::vector<double> a, b, ratio;
  for (int i = 0; i < rounds; ++i) {
    a.push_back(Ours(*t.app, arc, ours).seconds);
    b.push_back(Bsdtar(arc, ref).seconds);
    ratio.push_back(a.back() / b.back());
    std::printf("  round %d: ExtractArchive %.3f s, bsdtar %.3f s, ratio %.3f\n", i + 1, a.back(),
                b.back(), ratio.back());
  }
  std::printf("median: ExtractArchive %.3f s, bsdtar %.3f s; median ratio %.3f (target <= 1.10)\n",
              Median(a), Median(b), Median(ratio));

  // Memory: the same extraction for a small and a large archive (small files fixed).
  std::printf("peak resident memory (KiB), large file of:\n");
  for (const std::uint64_t mib : {largeMiB / 4, largeMiB * 2}) {
    MakeArchive(arc, smallFiles, mib << 20);
    const Run o = Ours(*t.app, arc, ours);
    const Run r = Bsdtar(arc, ref);
    std::printf("  %5llu MiB: ExtractArchive %ld, bsdtar %ld\n",
                static_cast<unsigned long long>(mib), o.peakKiB, r.peakKiB);
  }
  std::filesystem::remove_all(work);
  return 0;
}
