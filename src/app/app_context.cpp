#include "app/app_context.h"

#include "core/paths.h"
#include "core/text.h"
#include "platform/system.h"
#include "platform/windowing.h"

namespace quo {

namespace {
std::string DirOf(const std::string& path) {
  const std::string dir = FolderOf(path);
  return dir.empty() ? "./" : dir;
}
std::string NameOf(const std::string& path) {
  std::string name = BaseName(path);
#if defined(_WIN32)
  // The program's name is its file's without ".exe": QuoUpdate.ini, QuoUpdate.journal.
  if (name.size() > 4 && FoldCase(name.substr(name.size() - 4)) == ".exe")
    name.resize(name.size() - 4);
#endif
  return name;
}
}  // namespace

AppContext::AppContext(Platform& p, const std::string& programPath)
    : platform(p),
      programDir(DirOf(programPath)),
      exeName(NameOf(programPath)),
      ini(p, programDir + exeName + ".ini"),
      translation(p, programDir) {}

void AppContext::Pause(int milliseconds) {
  for (long long cycles = RoundHalfEven(milliseconds / 10.0); cycles > 0; --cycles) {
    PumpMessages();
    platform.system->SleepMs(10);
  }
}

void AppContext::PumpMessages() {
  if (platform.windowing != nullptr) platform.windowing->PumpMessages();
}

}  // namespace quo
