// System service on Linux.
#pragma once

#include "platform/system.h"

namespace quo {

class PosixSystem : public System {
 public:
  std::string ProgramPath() override;
  std::optional<std::string> GetEnv(const std::string& name) override;
  void SleepMs(int ms) override;
  DateTime Now() override;
  bool AcquireSingleInstance() override;

 private:
  int lockFd_ = -1;
};

}  // namespace quo
