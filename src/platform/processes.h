// Processes service: the process walk that finds a program by name, termination, and starting
// a command without waiting for it.
//
// Snapshot() is the primary walk: every process in ascending id order with its executable's file
// name (the base name of the program file it runs; on Linux from /proc/PID/exe, or the first
// word of /proc/PID/cmdline when that link cannot be read), its parent and its real user id. It
// throws quo::Error when no snapshot can be taken; ListIds() and Describe() are then the fallback
// walk. A process that ends during a walk is left out of it.
//
// Terminate() ends a process at once (SIGKILL on POSIX) and does not wait for it. StartDetached()
// starts argv[0] (looked up along PATH when it holds no "/") with the given arguments as one
// argument vector, never through a shell, and returns without waiting (StartAndWait waits a
// bounded time); a command that cannot be started throws quo::Error with the reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quo {

struct ProcessEntry {
  std::uint32_t pid = 0;
  std::uint32_t parentPid = 0;
  std::uint32_t realUid = 0;
  std::string exeName;  // "" when it cannot be read (kernel threads, zombies)
};

class Processes {
 public:
  virtual ~Processes() = default;

  virtual std::vector<ProcessEntry> Snapshot() = 0;
  // The ids of the running processes, in ascending order (throws when they cannot be listed).
  virtual std::vector<std::uint32_t> ListIds() = 0;
  // One process, with its executable module's base name; nullopt when it cannot be opened.
  virtual std::optional<ProcessEntry> Describe(std::uint32_t pid) = 0;
  // This process (pid, parent and real user id).
  virtual ProcessEntry Self() = 0;
  // The full path of the program file process pid runs; "" when it cannot be read.
  virtual std::string ExecutablePath(std::uint32_t pid) = 0;
  // True when the termination was delivered. Never ends anything for pid 0.
  virtual bool Terminate(std::uint32_t pid) = 0;
  virtual void StartDetached(const std::vector<std::string>& argv) = 0;
  // Starts the command as StartDetached does, then waits up to timeoutMs for it to end. True when
  // it ended in time (its exit status is not judged); a command still running is left to run.
  virtual bool StartAndWait(const std::vector<std::string>& argv, int timeoutMs) = 0;
  // The tool that registers in-process components (dll, ocx), started by name; "" where the
  // platform has none (POSIX: such components have nothing to register).
  virtual std::string InProcessRegistrar() = 0;
};

}  // namespace quo
