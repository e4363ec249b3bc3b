// The process walk and termination, on real child processes of the test only.
#include "install/kill_process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/child_processes.h"
#include "support/temp_dir.h"

namespace quo {
namespace {

using test::ChildProcesses;
using test::SleepingChild;
using test::TempDir;

TEST(MayEnd, NeverSelfParentInitOrAnotherUser) {
  const ProcessEntry self{100, 50, 1000, "QuoUpdate"};
  struct Case {
    ProcessEntry p;
    bool mayEnd;
  } cases[] = {
      {{200, 100, 1000, "a"}, true},  // a process of ours
      {{100, 50, 1000, "a"}, false},  // the updater itself
      {{50, 1, 1000, "a"}, false},    // its parent (the product that launched it)
      {{1, 0, 1000, "a"}, false},     // init, even when it runs as our user
      {{0, 0, 1000, "a"}, false},    {{300, 1, 0, "a"}, false},  // root's process seen by a user
      {{300, 1, 1001, "a"}, false},                              // another user's
  };
  for (const Case& c : cases) EXPECT_EQ(MayEnd(c.p, self), c.mayEnd) << c.p.pid;
  // Running as root does not make other users' processes fair game.
  const ProcessEntry root{100, 50, 0, "QuoUpdate"};
  EXPECT_FALSE(MayEnd({300, 1, 1000, "a"}, root));
  EXPECT_TRUE(MayEnd({300, 1, 0, "a"}, root));
}

// The snapshot matches an exact part of the name, the fallback walk the whole name ignoring case
// and spaces; neither returns the updater itself, listed here as it sees itself.
TEST(FindProcess, BothWalksByNameNeverTheUpdater) {
  TempDir dir;
  ChildProcesses ps(/*includeSelf=*/true);
  const std::string self = ps.Self().exeName;
  ASSERT_FALSE(self.empty());
  SleepingChild child(dir.path(), "QkProc"), named(dir.path(), self + "_");
  std::string upper = child.name();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Case {
    std::string name;
    std::uint32_t snapshot, fallback;
  } cases[] = {
      {child.name(), child.id(), child.id()},
      {child.name().substr(2), child.id(), 0},  // "Proc…": a part
      {upper, 0, child.id()},
      {"  " + child.name() + " ", 0, child.id()},
      {"", 0, 0},
      {self, named.id(), 0},  // the updater comes first in both walks, and is skipped
  };
  for (const Case& c : cases) {
    ps.failSnapshot = false;
    EXPECT_EQ(FindProcess(&ps, c.name), c.snapshot) << c.name;
    ps.failSnapshot = true;
    EXPECT_EQ(FindProcess(&ps, c.name), c.fallback) << c.name;
  }
  EXPECT_EQ(FindProcess(nullptr, child.name()), 0u);
}

TEST(FindProcess, NeverAnotherUsersProcess) {
  if (::getuid() != 0) GTEST_SKIP() << "needs root to start a process as another user";
  TempDir dir;
  ::chmod(dir.path().c_str(), 0755);
  SleepingChild other(dir.path(), "QkNobody", 65534);
  ChildProcesses ps;
  ASSERT_EQ(ps.Describe(other.id()).value().realUid, 65534u);
  EXPECT_EQ(FindProcess(&ps, other.name()), 0u);
  ps.failSnapshot = true;
  EXPECT_EQ(FindProcess(&ps, other.name()), 0u);
  EXPECT_TRUE(other.Running());
}

// On a service that records instead of signalling: a faulty guard ends nothing. (Ending a real
// child is part of the install sequence's tests.)
TEST(KillProcess, NeverPidZeroInitTheUpdaterOrItsParent) {
  ChildProcesses recorder;
  recorder.recordOnly = true;
  const ProcessEntry self = recorder.Self();
  for (const std::uint32_t pid : {0u, 1u, self.pid, self.parentPid})
    EXPECT_FALSE(KillProcess(&recorder, pid)) << pid;
  EXPECT_TRUE(KillProcess(&recorder, 4242));
  EXPECT_EQ(recorder.terminated, std::vector<std::uint32_t>{4242});
  EXPECT_FALSE(KillProcess(nullptr, 4242));
}

}  // namespace
}  // namespace quo
