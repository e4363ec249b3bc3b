// Processes service on Linux: the walks read /proc, termination is kill(2) with SIGKILL, commands
// start with posix_spawnp in a session of their own.
#pragma once

#include <sys/types.h>

#include <vector>

#include "platform/processes.h"

namespace quo {

class ProcfsProcesses : public Processes {
 public:
  explicit ProcfsProcesses(std::string procRoot = "/proc") : root_(std::move(procRoot)) {}

  std::vector<ProcessEntry> Snapshot() override;
  std::vector<std::uint32_t> ListIds() override;
  std::optional<ProcessEntry> Describe(std::uint32_t pid) override;
  ProcessEntry Self() override;
  std::string ExecutablePath(std::uint32_t pid) override;
  bool Terminate(std::uint32_t pid) override;
  void StartDetached(const std::vector<std::string>& argv) override;
  bool StartAndWait(const std::vector<std::string>& argv, int timeoutMs) override;
  std::string InProcessRegistrar() override { return ""; }

 protected:
  // Parent and real user id from /proc/PID/status; false when the process is gone.
  bool ReadStatus(std::uint32_t pid, ProcessEntry& out);
  // Base name of /proc/PID/exe (" (deleted)" dropped); "" when the link cannot be read.
  std::string ExeLinkName(std::uint32_t pid);
  // The first word of /proc/PID/cmdline, as a base name.
  std::string CmdlineName(std::uint32_t pid);

 private:
  void ReapStarted();
  pid_t Spawn(const std::vector<std::string>& argv);

  std::string root_;
  std::vector<pid_t> started_;  // commands not yet reaped
};

}  // namespace quo
