// Processes service on Windows: the snapshot walks the Tool Help list, the fallback walk
// EnumProcesses and each process's image name; termination is TerminateProcess without waiting;
// commands start with CreateProcessW from an argument vector quoted by the C runtime's rules,
// never through a shell. A process's user is a 32-bit key of its token's user SID (FNV-1a of
// the SID's text form): equal keys mean the same user, and a process whose token cannot be read
// gets a key that is never this process's own.
#pragma once

#include "platform/processes.h"

namespace quo {

class ToolhelpProcesses : public Processes {
 public:
  std::vector<ProcessEntry> Snapshot() override;
  std::vector<std::uint32_t> ListIds() override;
  std::optional<ProcessEntry> Describe(std::uint32_t pid) override;
  // Throws when this process's own user cannot be read (nothing may then be judged ours).
  ProcessEntry Self() override;
  // In the system's form ("\" separators), as QueryFullProcessImageNameW gives it.
  std::string ExecutablePath(std::uint32_t pid) override;
  bool Terminate(std::uint32_t pid) override;
  void StartDetached(const std::vector<std::string>& argv) override;
  bool StartAndWait(const std::vector<std::string>& argv, int timeoutMs) override;
  std::string InProcessRegistrar() override { return "regsvr32"; }
};

}  // namespace quo
