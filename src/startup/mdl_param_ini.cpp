#include "startup/mdl_param_ini.h"

#include "platform/private_profile.h"

namespace quo {

std::string mdlParamIni::ReadIni(const std::string& section, const std::string& key,
                                 std::string& nomFichier) {
  if (nomFichier.empty()) nomFichier = settingsPath_;
  return platform_.ini->Get(nomFichier, section, key, 1023);
}

void mdlParamIni::WriteIni(const std::string& section, const std::string& key,
                           const std::string& value, std::string& nomFichier) {
  if (nomFichier.empty()) nomFichier = settingsPath_;
  platform_.ini->Set(nomFichier, section, key, value);
}

std::string mdlParamIni::Read(const std::string& section, const std::string& key) {
  std::string file;
  return ReadIni(section, key, file);
}

void mdlParamIni::Write(const std::string& section, const std::string& key,
                        const std::string& value) {
  std::string file;
  WriteIni(section, key, value, file);
}

}  // namespace quo
