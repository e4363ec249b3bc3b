// mdlProcess: finds a running program by the name an action file gives under "kill", and ends it.
//
// FindProcess looks first through the process snapshot, where the name matches as an exact,
// case-sensitive part of the executable's file name (Quorvanta matches XQuorvanta.exe), and takes
// the first match in snapshot order. When no snapshot can be taken it walks the process ids
// instead, where the whole base name must match, ignoring case and surrounding spaces.
// Neither walk ever returns this process, its parent, process 1 or a process whose real user is
// not ours: a name sent by a server can end neither the running update nor the rest of the system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/processes.h"

namespace quo {

// The id of the first matching process, 0 when none matches (or name is empty). With allowed,
// only a process it accepts matches.
using ProcessFilter = std::function<bool(std::uint32_t pid)>;
std::uint32_t FindProcess(Processes* processes, const std::string& name,
                          const ProcessFilter& allowed = {});
// Ends the process at once, without waiting. False for pid 0 or when it could not be ended.
bool KillProcess(Processes* processes, std::uint32_t pid);
// pid when the process's executable has the base name name (case and surrounding spaces
// ignored), 0 when not, -1 when the process could not be examined.
std::int64_t ProcessHasName(Processes& processes, std::string name, std::uint32_t pid);
// True when the updater may end process p.
bool MayEnd(const ProcessEntry& p, const ProcessEntry& self);

}  // namespace quo
