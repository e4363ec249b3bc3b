// A program folder made from the build (the launcher, its modules and the language files) in a
// temporary folder, and runs of the program in it as a separate, unattended process.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace quo::test {

struct ProgramResult {
  int status = -1;  // exit status; -1 when it had to be killed after the time limit
  std::string err;  // what it wrote on standard error
};

class ProgramFolder {
 public:
  ProgramFolder();

  std::string path() const { return dir.path(); }
  void WriteSettings(const std::string& text) const;
  std::string Settings() const { return ReadFile(dir / "QuoUpdate.ini"); }
  // Runs QuoUpdate with the arguments, unattended and offscreen.
  ProgramResult Run(const std::vector<std::string>& args, int timeoutMs = 120000) const;

  TempDir dir;
};

// A TCP port on 127.0.0.1 where nothing listens.
int ClosedPort();

}  // namespace quo::test
