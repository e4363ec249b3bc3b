// What every module of a run shares: the platform services, the program's folder and name, the
// settings file, the translation table and the waiting operation.
#pragma once

#include <string>

#include "app/settings.h"
#include "platform/platform.h"
#include "translation/translation_table.h"

namespace quo {

class AppContext {
 public:
  // programPath: full path of the executable (its folder is the program directory).
  AppContext(Platform& platform, const std::string& programPath);

  Platform& platform;
  std::string programDir;  // with a trailing "/"
  std::string exeName;     // base name of the executable (on Windows without ".exe")
  // The install journal beside the settings file (its content: install/install_journal.h).
  std::string JournalPath() const { return programDir + exeName + ".journal"; }
  Settings ini;
  TranslationTable translation;
  bool logRefused = false;  // log.txt could not be written once: said, not repeated

  // Waits in cycles of 10 ms (milliseconds / 10, rounded half to even), letting pending window
  // events run before each sleep. Zero or negative returns at once.
  void Pause(int milliseconds);
  // Lets pending window events run once (nothing without a window service).
  void PumpMessages();
  std::string Translate(const std::string& key, const std::string& window = "") const {
    return translation.Translate(key, window);
  }
};

}  // namespace quo
