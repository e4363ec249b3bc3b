#include "install/kill_process.h"

#include <exception>

#include "core/text.h"

namespace quo {

bool MayEnd(const ProcessEntry& p, const ProcessEntry& self) {
  return p.pid > 1 && p.pid != self.pid && p.pid != self.parentPid && p.realUid == self.realUid;
}

std::int64_t ProcessHasName(Processes& processes, std::string name, std::uint32_t pid) {
  try {
    const std::string wanted = FoldCase(Trim(name));
    if (pid == 0 || pid == 2) return 0;
    const auto p = processes.Describe(pid);
    if (!p) return 0;
    // A module whose name cannot be read matches nothing.
    const std::string base = FoldCase(Trim(p->exeName));
    return !base.empty() && base == wanted ? pid : 0;
  } catch (const std::exception&) {
    return -1;
  }
}

namespace {

std::uint32_t FindInSnapshot(Processes& processes, const std::string& name,
                             const ProcessFilter& allowed) {
  const ProcessEntry self = processes.Self();
  for (const ProcessEntry& p : processes.Snapshot())
    if (p.exeName.find(name) != std::string::npos && MayEnd(p, self) &&
        (!allowed || allowed(p.pid)))
      return p.pid;
  return 0;
}

std::uint32_t FindById(Processes& processes, const std::string& name,
                       const ProcessFilter& allowed) {
  try {
    const ProcessEntry self = processes.Self();
    for (const std::uint32_t pid : processes.ListIds()) {
      if (pid == 0 || pid == 2 || ProcessHasName(processes, name, pid) <= 0) continue;
      const auto p = processes.Describe(pid);
      if (p && MayEnd(*p, self) && (!allowed || allowed(pid))) return pid;
    }
  } catch (const std::exception&) {
  }
  return 0;
}

}  // namespace

std::uint32_t FindProcess(Processes* processes, const std::string& name,
                          const ProcessFilter& allowed) {
  if (processes == nullptr || name.empty()) return 0;
  try {
    return FindInSnapshot(*processes, name, allowed);
  } catch (const std::exception&) {
    return FindById(*processes, name, allowed);
  }
}

bool KillProcess(Processes* processes, std::uint32_t pid) {
  if (processes == nullptr || pid == 0) return false;
  try {
    const ProcessEntry self = processes->Self();
    if (pid == 1 || pid == self.pid || pid == self.parentPid) return false;
    return processes->Terminate(pid);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace quo
