// Shared by the update tests. RarApp: a test program folder with the real RAR library. Tree: every
// file and folder under root as (relative path -> content, "<dir>" or "<link>").
// UpdateRig: a RarApp with the main window's logic on an in-memory form, a recording notification
// area, and a real FTP server on loopback serving a temporary folder (the update directory is "maj"
// on the server).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/curl_ftp.h"
#include "platform/posix/libarchive_rar.h"
#include "platform/tray.h"
#include "support/ftp_server.h"
#include "support/test_platform.h"
#include "ui/form.h"
#include "ui/frm_test_ftp.h"

namespace quo::test {

struct RarApp {
  explicit RarApp(LibarchiveRar::Options options = {}) : rar(options) { t.platform.rar = &rar; }
  TestApp t;
  LibarchiveRar rar;
};

std::map<std::string, std::string> Tree(const std::string& root);

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
  std::vector<std::pair<int, std::string>> installs;

  void Install(int nb, std::string& nomIni) override { installs.emplace_back(nb, nomIni); }
  void PlayAnimation(const std::string&) override {}
};

// The text every translation key gets in the rig.
std::string T(const std::string& key);

struct UpdateRig : RarApp {
  explicit UpdateRig(std::vector<std::string> faults = {});

  // Writes a file under the server's update directory "maj/".
  void Serve(const std::string& path, const std::string& content);
  // A version list mapping MyVersion 1.2.3 to folder upd124, with that folder's action file.
  void ServeUpdate(const std::string& actions);
  // An action file for version 1.2.4 from (package, compressed) pairs.
  static std::string Actions(const std::vector<std::pair<std::string, bool>>& packages,
                             const std::string& version = "1.2.4");
  // Runs the search and, when it finds an update, the download.
  bool Search() { return w->RechercheMaj(false); }
  void Download();

  std::string Local(const std::string& name) const { return w->MyDossier + name; }
  std::string Setting(const std::string& section, const std::string& key) {
    return t.app->ini.Read(section, key);
  }
  // RETR commands the server received, in order.
  std::vector<std::string> Retrieved() const;

  CurlFtpService ftp;
  RecordingTray tray;
  MemoryFormFactory factory;
  TempDir served;
  std::unique_ptr<FtpTestServer> server;
  std::unique_ptr<UpdateRigWindow> w;
};

}  // namespace quo::test
