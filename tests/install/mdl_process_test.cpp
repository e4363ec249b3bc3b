// The process walk and termination, on real child processes of the test only.
#include "install/mdl_process.h"

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

TEST(FindProcess, SnapshotMatchesCaseSensitivePartOfTheName) {
  TempDir dir;
  SleepingChild child(dir.path(), "QkProc");
  ChildProcesses ps;
  const std::string tail = child.name().substr(2);  // "Proc..." : a part of the name
  EXPECT_EQ(FindProcess(&ps, child.name()), child.id());
  EXPECT_EQ(FindProcess(&ps, tail), child.id());
  EXPECT_EQ(FindProcess(&ps, "qkproc" + child.name().substr(6)), 0u);  // other letter case
  EXPECT_EQ(FindProcess(&ps, ""), 0u);
  EXPECT_EQ(FindProcess(nullptr, child.name()), 0u);
}

TEST(FindProcess, FallbackWalkComparesWholeNamesIgnoringCase) {
  TempDir dir;
  SleepingChild child(dir.path(), "QkFall");
  ChildProcesses ps;
  ps.failSnapshot = true;
  std::string upper = child.name();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(FindProcess(&ps, "  " + upper + " "), child.id());
  EXPECT_EQ(FindProcess(&ps, child.name().substr(2)), 0u);  // a part is not enough here
  EXPECT_EQ(ProcessHasName(ps, child.name(), child.id()), child.id());
  EXPECT_EQ(ProcessHasName(ps, "other", child.id()), 0);
}

TEST(FindProcess, NeverTheUpdaterItself) {
  TempDir dir;
  ChildProcesses ps(/*includeSelf=*/true);
  const std::string self = ps.Self().exeName;
  ASSERT_FALSE(self.empty());
  EXPECT_EQ(FindProcess(&ps, self), 0u);
  // A child whose name contains ours is found: the walk skips only the updater.
  SleepingChild child(dir.path(), self + "_");
  EXPECT_EQ(FindProcess(&ps, self), child.id());
  ps.failSnapshot = true;
  EXPECT_EQ(FindProcess(&ps, self), 0u);
}

TEST(FindProcess, NeverAnotherUsersProcess) {
  TempDir dir;
  if (::getuid() != 0) GTEST_SKIP() << "needs root to start a process as another user";
  ::chmod(dir.path().c_str(), 0755);
  SleepingChild other(dir.path(), "QkNobody", 65534);
  ChildProcesses ps;
  ASSERT_EQ(ps.Describe(other.id()).value().realUid, 65534u);
  EXPECT_EQ(FindProcess(&ps, other.name()), 0u);
  ps.failSnapshot = true;
  EXPECT_EQ(FindProcess(&ps, other.name()), 0u);
  EXPECT_TRUE(other.Running());
}

TEST(KillProcess, EndsTheChildAtOnce) {
  TempDir dir;
  SleepingChild child(dir.path());
  ChildProcesses ps;
  EXPECT_TRUE(KillProcess(&ps, FindProcess(&ps, child.name())));
  EXPECT_TRUE(child.EndedByKill());
  // A zombie or ended process has no name any more: nothing matches.
  EXPECT_EQ(FindProcess(&ps, child.name()), 0u);
  EXPECT_FALSE(KillProcess(&ps, 0));
  EXPECT_FALSE(KillProcess(&ps, ps.Self().pid));
  EXPECT_FALSE(KillProcess(&ps, 1));
  EXPECT_EQ(ps.refused, 0);  // refused before reaching the service
}

}  // namespace
}  // namespace quo
