#include "update/update_rig.h"

#include <filesystem>
#include <sstream>

#include "core/text.h"
#include "update/telecharger_maj.h"

namespace quo::test {

std::map<std::string, std::string> Tree(const std::string& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> out;
  if (!fs::exists(root)) return out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = e.path().lexically_relative(root).generic_string();
    out[rel] = e.is_symlink() ? "<link>" : e.is_directory() ? "<dir>" : ReadFile(e.path().string());
  }
  return out;
}

// Every translation key the search and download show.
const char kKeys[] =
    "Connectionauserveurencours Impossibledeseconnecterauserveur RecherchedesMiseàJour "
    "Aucunenouvelemiseàjourdedisponible Denouvellesmisesàjoursontdisponibles Sortir Mettreajour "
    "Telechargementde Encours Fichiercorrompue Télechargementdesfichiersterminé. "
    "Linstallationpeutdébuter Avantdecommencerlinstallation Commencerlinstallation "
    "Linstallationvadébuter";

std::string T(const std::string& key) {
  if (key == "Telechargementde") return "Téléchargement de";
  if (key == "Encours") return "en cours";
  return "<" + key + ">";
}

UpdateRig::UpdateRig(std::vector<std::string> faults) {
  ftp.SetLimits({.connectTimeoutMs = 2000, .replyTimeoutSec = 2, .lowSpeedTimeSec = 2});
  t.platform.ftp = &ftp;
  t.platform.tray = &tray;
  std::string lng, k;
  for (std::istringstream keys(kKeys); keys >> k;)
    lng += PadRight("_", 40) + PadRight(k, 40) + T(k) + "\r\n";
  t.app->translation.LoadText(lng);
  MakeDirs(served / "maj");
  server = std::make_unique<FtpTestServer>(
      FtpTestServer::Options{.root = served.path(), .faults = std::move(faults)});
  w = std::make_unique<UpdateRigWindow>(*t.app, factory);
  w->Form_Load();
  w->MyVersion = "1.2.3";
  w->MyAdresse = server->address();
  w->MyUser = "quo";
  w->MyMotPasse = "secret";
  w->MyRepertoireFTP = "maj";
}

void UpdateRig::Serve(const std::string& path, const std::string& content) {
  const std::string full = served / ("maj/" + path);
  MakeDirs(full.substr(0, full.rfind('/')));
  WriteFile(full, content);
}

void UpdateRig::ServeUpdate(const std::string& actions) {
  Serve("ListMaj.ini", "[versions]\r\n1.2.2=upd123\r\n1.2.3=upd124\r\n");
  Serve("upd124/Actions.ini", actions);
}

std::string UpdateRig::Actions(const std::vector<std::pair<std::string, bool>>& packages,
                               const std::string& version) {
  std::string s = "[ordre]\r\nversionActuelle=" + version +
                  "\r\nnb=" + std::to_string(packages.size()) + "\r\n";
  for (std::size_t i = 0; i < packages.size(); ++i)
    s += std::to_string(i + 1) + "=" + packages[i].first + "\r\n";
  for (const auto& [name, compressed] : packages)
    s += "[" + name + "]\r\ncompresse=" + (compressed ? "1" : "0") + "\r\ncopie=1\r\n";
  return s;
}

void UpdateRig::Download() {
  std::string nomIni = w->MyDossier + "Actions.ini";
  TelechargerMaj(*w, nomIni, false);
}

std::vector<std::string> UpdateRig::Retrieved() const {
  std::vector<std::string> out;
  std::istringstream in(server->log());
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("RETR ", 0) == 0) out.push_back(Trim(line.substr(5)));
  return out;
}

}  // namespace quo::test
