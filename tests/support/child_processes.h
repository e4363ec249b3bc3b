// Processes for tests. The machine runs the tests as root, where an unrestricted walk could let
// the program end anything: ChildProcesses is the real /proc walk restricted to this test
// process's own descendants, and SleepingChild starts such a descendant under a unique name.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/posix/procfs_processes.h"

namespace quo::test {

class ChildProcesses : public ProcfsProcesses {
 public:
  // includeSelf: the test process itself is listed too (as the updater would see itself).
  explicit ChildProcesses(bool includeSelf = false) : includeSelf_(includeSelf) {}

  std::vector<ProcessEntry> Snapshot() override;
  std::vector<std::uint32_t> ListIds() override;
  std::optional<ProcessEntry> Describe(std::uint32_t pid) override;
  // Ends descendants only; anything else is refused (and counted in refused).
  bool Terminate(std::uint32_t pid) override;

  bool failSnapshot = false;  // Snapshot throws: the fallback walk runs
  std::vector<std::uint32_t> terminated;
  int refused = 0;

 private:
  bool Visible(std::uint32_t pid);

  bool includeSelf_;
};

// A copy of /bin/sleep named prefix + random hex in dir, started as a child of the test (as user
// uid when given). Killed and reaped when the object goes, if still running.
class SleepingChild {
 public:
  SleepingChild(const std::string& dir, const std::string& prefix = "qk", int uid = -1);
  ~SleepingChild();
  SleepingChild(const SleepingChild&) = delete;
  SleepingChild& operator=(const SleepingChild&) = delete;

  pid_t pid() const { return pid_; }
  std::uint32_t id() const { return static_cast<std::uint32_t>(pid_); }
  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }
  // Waits up to timeoutMs for the child to end; true when SIGKILL ended it.
  bool EndedByKill(int timeoutMs = 5000);
  // True while the child runs (it is reaped once ended).
  bool Running();

 private:
  std::string name_, path_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
};

// A unique name: prefix followed by 12 random hex digits.
std::string RandomName(const std::string& prefix);

}  // namespace quo::test
