// Settings: one key of an INI file. An empty file argument means the program's own settings
// file (the executable's folder + its base name + ".ini").
#pragma once

#include <string>

#include "platform/platform.h"

namespace quo {

class Settings {
 public:
  Settings(Platform& platform, std::string settingsPath)
      : platform_(platform), settingsPath_(std::move(settingsPath)) {}

  // The value (at most 1023 characters), or "" when the file, section or key is missing.
  std::string ReadIni(const std::string& section, const std::string& key,
                      const std::string& iniPath);
  // The same for a large file read for one value only: nothing of it is kept.
  std::string ReadIniUncached(const std::string& section, const std::string& key,
                              const std::string& iniPath);
  // Writes the key (creating the file, section and key as needed); false when the write failed
  // (nothing changed then).
  bool WriteIni(const std::string& section, const std::string& key, const std::string& value,
                const std::string& iniPath);

  // The same on the settings file.
  std::string Read(const std::string& section, const std::string& key);
  bool Write(const std::string& section, const std::string& key, const std::string& value);

  const std::string& SettingsPath() const { return settingsPath_; }

 private:
  Platform& platform_;
  std::string settingsPath_;
};

}  // namespace quo
