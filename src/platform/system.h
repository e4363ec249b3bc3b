// System service: environment, time, sleeping, the running program and its single instance.
#pragma once

#include <optional>
#include <string>

namespace quo {

// A local date and time, to the second.
struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

class System {
 public:
  virtual ~System() = default;

  // Full path of the running executable (on Linux from /proc/self/exe).
  virtual std::string ProgramPath() = 0;
  // The variable's value; nullopt when it is not set.
  virtual std::optional<std::string> GetEnv(const std::string& name) = 0;
  virtual void SleepMs(int ms) = 0;
  // Current local date and time.
  virtual DateTime Now() = 0;
  // Takes the machine-wide lock of this program (one per executable file). False when another
  // running instance holds it. The lock lives until the process ends; it leaves no file behind.
  virtual bool AcquireSingleInstance() = 0;
};

}  // namespace quo
