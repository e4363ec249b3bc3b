#include "app/settings.h"

#include "platform/private_profile.h"

namespace quo {

std::string Settings::ReadIni(const std::string& section, const std::string& key,
                              const std::string& iniPath) {
  return platform_.ini->Get(iniPath.empty() ? settingsPath_ : iniPath, section, key, 1023);
}

std::string Settings::ReadIniUncached(const std::string& section, const std::string& key,
                                      const std::string& iniPath) {
  return platform_.ini->GetUncached(iniPath, section, key, 1023);
}

bool Settings::WriteIni(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& iniPath) {
  return platform_.ini->Set(iniPath.empty() ? settingsPath_ : iniPath, section, key, value);
}

std::string Settings::Read(const std::string& section, const std::string& key) {
  return ReadIni(section, key, "");
}

bool Settings::Write(const std::string& section, const std::string& key, const std::string& value) {
  return WriteIni(section, key, value, "");
}

}  // namespace quo
