// Installs N small packages (backups on: every file is present before the run) and prints the
// time per package for each N, with two ratios measured in the same run: against the smallest N
// (must stay near 1: the cost per package does not grow with N) and against a plain copy of the
// same files (the price of the install sequence over the file operations themselves). Each N is
// run three times, in rounds that go through every N in turn, and the best time kept.
//
// The program folder is put on a tmpfs when one can be mounted (where a flush to disk costs
// nothing), so that the figures show the engine's own cost rather than the disk's; --disk keeps
// it on the ordinary file system.
//
//   bench_install [--disk] [N...]      (default 100 1000 5000)
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "run/update_run.h"
#include "install/install_sequence.h"
#include "support/recording_view.h"
#include "support/test_platform.h"
#include "update/download_files.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

bool onDisk = false;

// A tmpfs over the program folder for the length of one run.
struct Tmpfs {
  explicit Tmpfs(const std::string& dir) : path(dir) {
    mounted = !onDisk && ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=512m") == 0;
  }
  ~Tmpfs() {
    if (mounted) ::umount2(path.c_str(), MNT_DETACH);
  }
  std::string path;
  bool mounted = false;
};

struct Result {
  double install = 0, plainCopy = 0;
  bool tmpfs = false;
};

Result Run(int n) {
  quo::test::TestApp t;
  Tmpfs tmpfs(t.dir.path());
  quo::UpdateRun run(*t.app);
  quo::test::RecordingView view;
  run.downloadDir = t.dir / "Download/";
  quo::test::MakeDirs(run.downloadDir);
  const std::string root = t.dir / "prod/";
  quo::test::MakeDirs(root);
  run.installDir = root;

  std::string actions = "[ordre]\r\nversionActuelle=1.4.0\r\nnb=" + std::to_string(n) + "\r\n";
  for (int i = 1; i <= n; ++i) actions += std::to_string(i) + "=p" + std::to_string(i) + ".dll\r\n";
  for (int i = 1; i <= n; ++i) {
    const std::string name = "p" + std::to_string(i) + ".dll";
    actions += "[" + name + "]\r\ndestination=\r\ncopie=1\r\nbackup=1\r\nenregistrement=0\r\n";
    quo::test::WriteFile(run.downloadDir + name, "new package " + std::to_string(i));
    quo::test::WriteFile(root + name, "old file " + std::to_string(i));
  }
  const std::string actionsPath = run.downloadDir + quo::kActions;
  quo::test::WriteFile(actionsPath, actions);

  // Reference: the same number of copies, straight through the files service.
  const std::string refDir = t.dir / "ref/";
  quo::test::MakeDirs(refDir);
  // Each timed part starts with nothing left to write back: on a disk, the files just made would
  // otherwise be flushed by the first fsync that comes, at the expense of whichever part runs.
  ::sync();
  auto start = Clock::now();
  for (int i = 1; i <= n; ++i) {
    const std::string name = "p" + std::to_string(i) + ".dll";
    t.files.Copy(run.downloadDir + name, refDir + name);
  }
  Result r;
  r.tmpfs = tmpfs.mounted;
  r.plainCopy = Seconds(start);

  ::sync();
  start = Clock::now();
  quo::Install(run, view, n, actionsPath);
  r.install = Seconds(start);
  if (!run.errorText.empty()) {
    std::fprintf(stderr, "install failed:%s\n", run.errorText.c_str());
    std::exit(1);
  }
  if (!std::filesystem::exists(root + "OLDp1.dllBack")) {
    std::fprintf(stderr, "no backup made\n");
    std::exit(1);
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--disk")
      onDisk = true;
    else
      sizes.push_back(std::atoi(argv[i]));
  }
  if (sizes.empty()) sizes = {100, 1000, 5000};
  // Best of three: other work on the machine only ever adds time. The rounds go through every N
  // in turn, so that a slow spell of the machine does not fall on all the runs of one N.
  std::vector<Result> best(sizes.size());
  for (int round = 0; round < 3; ++round) {
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      const Result r = Run(sizes[i]);
      if (round == 0) best[i] = r;
      best[i].install = std::min(best[i].install, r.install);
      best[i].plainCopy = std::min(best[i].plainCopy, r.plainCopy);
    }
  }
  double reference = 0;
  std::printf("%8s %14s %14s %12s %12s\n", "N", "us/package", "copy us/file", "vs first N",
              "vs copy");
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const int n = sizes[i];
    const Result& r = best[i];
    const double perPackage = r.install / n * 1e6, perCopy = r.plainCopy / n * 1e6;
    if (reference == 0) reference = perPackage;
    std::printf("%8d %14.1f %14.1f %12.2f %12.2f  %s\n", n, perPackage, perCopy,
                perPackage / reference, perPackage / perCopy, r.tmpfs ? "tmpfs" : "disk");
  }
  return 0;
}
