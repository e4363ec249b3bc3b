#include "app/mdl_param_ini.h"

#include "platform/private_profile.h"

namespace quo {

std::string mdlParamIni::ReadIni(const std::string& section, const std::string& key,
                                 const std::string& nomFichier) {
  return platform_.ini->Get(nomFichier.empty() ? settingsPath_ : nomFichier, section, key, 1023);
}

std::string mdlParamIni::ReadIniOnce(const std::string& section, const std::string& key,
                                     const std::string& nomFichier) {
  return platform_.ini->GetOnce(nomFichier, section, key, 1023);
}

bool mdlParamIni::WriteIni(const std::string& section, const std::string& key,
                           const std::string& value, const std::string& nomFichier) {
  return platform_.ini->Set(nomFichier.empty() ? settingsPath_ : nomFichier, section, key, value);
}

std::string mdlParamIni::Read(const std::string& section, const std::string& key) {
  return ReadIni(section, key, "");
}

bool mdlParamIni::Write(const std::string& section, const std::string& key,
                        const std::string& value) {
  return WriteIni(section, key, value, "");
}

}  // namespace quo
