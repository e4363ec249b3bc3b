// Entry point: the light start-up decides whether the run goes on before any window exists.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/base/ini_profile.h"
#include "platform/posix/base/posix_files.h"
#include "platform/posix/base/posix_system.h"
#include "platform/posix/procfs_processes.h"
#include "startup/app_context.h"
#include "startup/launch.h"

int main(int argc, char** argv) {
  quo::PosixFiles files;
  quo::PosixSystem system;
  quo::IniProfile ini;
  quo::ProcfsProcesses processes;
  quo::Platform platform;
  platform.files = &files;
  platform.system = &system;
  platform.ini = &ini;
  platform.processes = &processes;
  quo::AppContext app(platform, system.ProgramPath());

  const quo::LaunchPlan plan = quo::PlanLaunch(app, std::vector<std::string>(argv + 1, argv + argc));
  if (!plan.error.empty()) {
    std::fprintf(stderr, "%s\n", plan.error.c_str());
    return 1;
  }
  if (!plan.proceed) return 0;
  std::fprintf(stderr, "QuoUpdate: this build has no window yet\n");
  return 0;
}
