// The /proc service on its own: the snapshot's names, commands started from an argument vector.
#include "platform/posix/procfs_processes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/error.h"
#include "support/child_processes.h"
#include "support/temp_dir.h"

namespace quo {
namespace {

TEST(ProcfsProcesses, DescribesProcessesEvenWhenTheirFileIsReplaced) {
  test::TempDir dir;
  test::SleepingChild child(dir.path());
  ProcfsProcesses ps;
  auto find = [&] {
    for (const ProcessEntry& e : ps.Snapshot())
      if (e.pid == child.id()) return e;
    return ProcessEntry{};
  };
  ProcessEntry e = find();
  EXPECT_EQ(e.exeName, child.name());
  EXPECT_EQ(e.parentPid, static_cast<std::uint32_t>(::getpid()));
  EXPECT_EQ(e.realUid, ::getuid());
  // Replaced under the running program (as an installation does): same name, no " (deleted)".
  ::unlink(child.path().c_str());
  EXPECT_EQ(find().exeName, child.name());

  EXPECT_EQ(ps.Self().pid, static_cast<std::uint32_t>(::getpid()));
  EXPECT_EQ(ps.Self().parentPid, static_cast<std::uint32_t>(::getppid()));
  EXPECT_FALSE(ps.Describe(0).has_value());
  EXPECT_FALSE(ps.Terminate(0));  // kill(0) would be the whole process group
  EXPECT_FALSE(ps.Terminate(0x80000000u));
  EXPECT_THROW(ProcfsProcesses("/nonexistent/proc").Snapshot(), Error);
}

TEST(ProcfsProcesses, StartsArgumentVectorsWithoutAShell) {
  test::TempDir dir;
  const std::string script = dir / "reg tool.sh";
  test::WriteFile(script, "#!/bin/sh\nprintf '%s|' \"$@\" > \"$0.out\"\n");
  ::chmod(script.c_str(), 0755);
  test::WriteFile(dir / "plain", "not a program");  // not executable
  ProcfsProcesses ps;
  ASSERT_TRUE(ps.StartAndWait({script, "a b", "$(touch pwned)", "/REGSERVER"}, 10000));
  EXPECT_EQ(test::ReadFile(script + ".out"), "a b|$(touch pwned)|/REGSERVER|");
  EXPECT_FALSE(test::Exists(dir / "pwned"));
  // What cannot start: a name found nowhere on PATH, a missing file, a file that is no program.
  for (const std::vector<std::string>& argv :
       std::vector<std::vector<std::string>>{{test::RandomName("quo-no-such-program-"), "/s"},
                                             {dir / "missing"},
                                             {dir / "plain", "/REGSERVER"},
                                             {}})
    EXPECT_THROW(ps.StartDetached(argv), Error) << (argv.empty() ? "" : argv[0]);
}

}  // namespace
}  // namespace quo
