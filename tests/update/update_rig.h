// Shared by the update tests. RarApp: a test program folder with the real RAR library. UpdateRig:
// a RarApp with an update run shown on a recording view, a product folder "prod/", and a real FTP
// server on loopback serving a temporary folder (its update directory is "maj").
#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/text.h"
#include "platform/curl/curl_ftp_service.h"
#include "platform/libarchive/libarchive_rar.h"
#include "run/update_run.h"
#include "support/ftp_server.h"
#include "support/recording_view.h"
#include "support/test_platform.h"
#include "update/download_files.h"
#include "update/download_update.h"
#include "update/run_update.h"
#include "update/search_updates.h"

namespace quo::test {

struct RarApp {
  explicit RarApp(LibarchiveRar::Options options = {}) : rar(options) { t.platform.rar = &rar; }
  TestApp t;
  LibarchiveRar rar;
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
    std::string lng, k;
    for (std::istringstream keys(
             "Impossibledeseconnecterauserveur Aucunenouvelemiseàjourdedisponible Sortir "
             "Denouvellesmisesàjoursontdisponibles Mettreajour Telechargementde Encours "
             "Fichiercorrompue Télechargementdesfichiersterminé. Linstallationvadébuter "
             "Installationde Deserreursonteutlieus Miseajourcorrectementterminée "
             "ListeMajIllisible DossierMajIntrouvable ErreurFtpIntrouvable ErreurFtpReseau "
             "ErreurFtpInterrompu Miseajourannulée ComposantsNonEnregistres DossierNonAbsolu "
             "ErreurFtpLocal SignatureAbsente SignatureInvalide CleSignatureInvalide MajNonVerifiees "
             "MajPasPlusRecente VersionDepartNonPrevue PaquetSansEmpreinte TailleDifferente "
             "EmpreinteDifferente EspaceInsuffisant ErreurFtpTropGrand ErreurFtpSansTaille "
             "DossierInstallationAbsent TelechargementNonEnregistre "
             "AdresseServeurInvalide");
         keys >> k;)
      lng += PadRight("_", 40) + PadRight(k, 40) + T(k) + "\r\n";
    t.app->translation.LoadText(lng);
    MakeDirs(served / "maj");
    server = std::make_unique<FtpTestServer>(
        FtpTestServer::Options{.root = served.path(), .faults = std::move(faults)});
    run.downloadDir = t.dir / "Download/";
    run.installDir = t.dir / "prod/";
    MakeDirs(run.downloadDir);
    MakeDirs(run.installDir);
    run.installedVersion = "1.2.3";
    run.serverAddress = server->address();
    run.serverUser = "quo";
    run.serverPassword = "secret";
    run.serverDir = "maj";
  }

  // Writes a file under the server's update directory "maj/".
  void Serve(const std::string& path, const std::string& content) {
    const std::string full = served / ("maj/" + path);
    MakeDirs(full.substr(0, full.rfind('/')));
    WriteFile(full, content);
  }
  // A version list mapping installedVersion 1.2.3 to folder upd124, with that folder's action file.
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
  // The search; the download (which ends with the installation); the whole run after a search,
  // from the download to the outcome shown.
  bool Search() { return SearchUpdates(run, view); }
  void Download() { DownloadUpdate(run, view, run.downloadDir + kActions); }
  void Update() { RunUpdate(run, view, "Sortir"); }

  // The sections the installation went through (its phases), -1 when no installation ran.
  int Installed() const {
    const auto& a = view.animations;
    if (std::find(a.begin(), a.end(), "Synchronize") == a.end()) return -1;
    return static_cast<int>(std::count_if(view.phases.begin(), view.phases.end(), [](auto& p) {
      return p.starts_with(T("Installationde"));
    }));
  }
  std::string Local(const std::string& name) const { return run.downloadDir + name; }
  std::string Product(const std::string& name) const { return run.installDir + name; }
  std::string Setting(const std::string& section, const std::string& key) {
    return t.app->ini.Read(section, key);
  }

  CurlFtpService ftp;
  TempDir served;
  std::unique_ptr<FtpTestServer> server;
  UpdateRun run{*t.app};
  RecordingView view;
};

}  // namespace quo::test
