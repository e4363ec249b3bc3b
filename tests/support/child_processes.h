// Processes for tests. The machine runs the tests as root, where an unrestricted walk could let
// the program end anything: ChildProcesses is the real /proc walk restricted to this test
// process's own descendants, and SleepingChild starts such a descendant under a unique name.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/posix/procfs_processes.h"

namespace quo::test {

// The exit status of the program run with these arguments (argv[0] its path) and waited for;
// -1 when it could not start or did not exit.
int RunProgram(std::vector<std::string> argv);

class ChildProcesses : public ProcfsProcesses {
 public:
  // includeSelf: the test process itself is listed too (as the updater would see itself).
  explicit ChildProcesses(bool includeSelf = false) : includeSelf_(includeSelf) {}

  std::vector<ProcessEntry> Snapshot() override;
  std::vector<std::uint32_t> ListIds() override;
  // Records the pid, then ends it when it is a descendant (never anything else, nor with
  // recordOnly: a guard to check whose failure would end the test runner or the system).
  bool Terminate(std::uint32_t pid) override;
  // Record the command, then start it for real.
  void StartDetached(const std::vector<std::string>& argv) override;
  bool StartAndWait(const std::vector<std::string>& argv, int timeoutMs) override;
  std::string InProcessRegistrar() override { return registrar; }

  bool failSnapshot = false;  // Snapshot throws: the fallback walk runs
  bool recordOnly = false;    // Terminate records and answers true, ending nothing
  bool waitDetached = false;  // a detached start is waited for (its effects are seen at once)
  std::string registrar;      // "" as on POSIX; a name stands for a platform's registrar
  std::vector<std::uint32_t> terminated;
  std::vector<std::vector<std::string>> started;

 private:
  bool Visible(std::uint32_t pid);

  bool includeSelf_;
};

// A copy of /bin/sleep in dir, named prefix + the test's pid + a count (unique among running
// tests), started as a child of the test (as user uid when given); throws unless the child runs
// the copy. Killed and reaped when the object goes.
class SleepingChild {
 public:
  SleepingChild(const std::string& dir, const std::string& prefix = "qk", int uid = -1);
  ~SleepingChild();
  SleepingChild(const SleepingChild&) = delete;
  SleepingChild& operator=(const SleepingChild&) = delete;

  std::uint32_t id() const { return static_cast<std::uint32_t>(pid_); }
  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }
  // Waits up to timeoutMs for the child to end; true when SIGKILL ended it.
  bool EndedByKill(int timeoutMs = 5000);
  // True while the child runs (it is reaped once ended).
  bool Running();

 private:
  void Stop();  // kills and reaps the child if it still runs

  std::string name_, path_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
};

}  // namespace quo::test
