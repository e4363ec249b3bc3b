// Shared by the update tests. RarApp: a test program folder with the real RAR library. Tree: every
// file and folder under root as (relative path -> content, "<dir>" or "<link>").
// UpdateRig: a RarApp with the main window's logic on an in-memory form, a recording notification
// area, and a real FTP server on loopback serving a temporary folder (the update directory is "maj"
// on the server).
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/text.h"
#include "platform/posix/curl_ftp.h"
#include "platform/posix/libarchive_rar.h"
#include "platform/tray.h"
#include "support/ftp_server.h"
#include "support/test_platform.h"
#include "ui/form.h"
#include "ui/frm_test_ftp.h"
#include "update/telecharger_maj.h"

namespace quo::test {

struct RarApp {
  explicit RarApp(LibarchiveRar::Options options = {}) : rar(options) { t.platform.rar = &rar; }
  TestApp t;
  LibarchiveRar rar;
};

inline std::map<std::string, std::string> Tree(const std::string& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> out;
  if (!fs::exists(root)) return out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = e.path().lexically_relative(root).generic_string();
    out[rel] = e.is_symlink() ? "<link>" : e.is_directory() ? "<dir>" : ReadFile(e.path().string());
  }
  return out;
}

class RecordingTray : public Tray {
 public:
  std::vector<std::string> tips;
  bool Available() override { return true; }
  void Add(const std::string& tip, std::function<void()>, std::function<void()>) override {
    tips.push_back(tip);
  }
  void SetTip(const std::string& tip) override { tips.push_back(tip); }
  void Remove() override {}
};

// The window with its installation replaced by a recorder and no animation.
class UpdateRigWindow : public frmTestFTP {
 public:
  using frmTestFTP::frmTestFTP;
  std::vector<int> installs;  // the package count of each installation

  void Install(int nb, std::string&) override { installs.push_back(nb); }
  void PlayAnimation(const std::string&) override {}
};

// The text the rig gives every translation key that the tests look at.
inline std::string T(const std::string& key) {
  if (key == "Telechargementde") return "Téléchargement de";
  if (key == "Encours") return "en cours";
  return "<" + key + ">";
}

struct UpdateRig : RarApp {
  explicit UpdateRig(std::vector<std::string> faults = {}) {
    ftp.SetLimits({.connectTimeoutMs = 2000, .replyTimeoutSec = 2, .lowSpeedTimeSec = 2});
    t.platform.ftp = &ftp;
    t.platform.tray = &tray;
    std::string lng, k;
    for (std::istringstream keys(
             "Impossibledeseconnecterauserveur Aucunenouvelemiseàjourdedisponible Sortir "
             "Denouvellesmisesàjoursontdisponibles Mettreajour Telechargementde Encours "
             "Fichiercorrompue Télechargementdesfichiersterminé. Linstallationvadébuter");
         keys >> k;)
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

  // Writes a file under the server's update directory "maj/".
  void Serve(const std::string& path, const std::string& content) {
    const std::string full = served / ("maj/" + path);
    MakeDirs(full.substr(0, full.rfind('/')));
    WriteFile(full, content);
  }
  // A version list mapping MyVersion 1.2.3 to folder upd124, with that folder's action file.
  void ServeUpdate(const std::string& actions) {
    Serve("ListMaj.ini", "[versions]\r\n1.2.2=upd123\r\n1.2.3=upd124\r\n");
    Serve("upd124/Actions.ini", actions);
  }
  // An action file for version 1.2.4 from (package, compressed) pairs.
  static std::string Actions(const std::vector<std::pair<std::string, bool>>& packages,
                             const std::string& version = "1.2.4") {
    std::string s = "[ordre]\r\nversionActuelle=" + version +
                    "\r\nnb=" + std::to_string(packages.size()) + "\r\n";
    for (std::size_t i = 0; i < packages.size(); ++i)
      s += std::to_string(i + 1) + "=" + packages[i].first + "\r\n";
    for (const auto& [name, compressed] : packages)
      s += "[" + name + "]\r\ncompresse=" + (compressed ? "1" : "0") + "\r\ncopie=1\r\n";
    return s;
  }
  // Runs the search and, when it finds an update, the download.
  bool Search() { return w->RechercheMaj(false); }
  void Download() {
    std::string nomIni = w->MyDossier + "Actions.ini";
    TelechargerMaj(*w, nomIni, false);
  }

  std::string Local(const std::string& name) const { return w->MyDossier + name; }
  std::string Setting(const std::string& section, const std::string& key) {
    return t.app->ini.Read(section, key);
  }

  CurlFtpService ftp;
  RecordingTray tray;
  MemoryFormFactory factory;
  TempDir served;
  std::unique_ptr<FtpTestServer> server;
  std::unique_ptr<UpdateRigWindow> w;
};

}  // namespace quo::test
