// System service on Windows. The program path uses "/" like every path inside the program
// ("C:/Program Files/Quorvanta/QuoUpdate.exe"). The single-instance lock is a named mutex, one
// per executable file (named after its full path, letter case ignored), which exists as long as
// a process holds it open: until the process ends.
#pragma once

#include "platform/system.h"

namespace quo {

class Win32System : public System {
 public:
  ~Win32System() override = default;  // the lock stays: it lives until the process ends
  std::string ProgramPath() override;
  std::optional<std::string> GetEnv(const std::string& name) override;
  void SleepMs(int ms) override;
  DateTime Now() override;
  bool AcquireSingleInstance() override;

 private:
  void* lock_ = nullptr;  // the mutex, once held
};

}  // namespace quo
