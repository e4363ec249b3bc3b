#include "update/download_update.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>

#include "app/app_context.h"
#include "app/dates.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/version_order.h"
#include "ftp/ftp_connection.h"
#include "install/install_sequence.h"
#include "platform/crypto.h"
#include "platform/files.h"
#include "platform/system.h"
#include "run/error_lines.h"
#include "run/install_folder.h"
#include "run/run_view.h"
#include "run/update_run.h"
#include "update/download_files.h"
#include "update/extract_archive.h"
#include "update/package_plan.h"

namespace quo {

namespace {

// "#0.00" whatever the locale.
std::string Percent(float value) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  return std::string(buf, r.ptr);
}

// A file name as the download folder tells it from others: letter case aside, and without the
// dots and blanks Windows drops at its end.
std::string FolderName(std::string name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return FoldCase(name);
}

// The names an archive's entry may not take in the download folder: the files the run checked
// there (the list, the action file, their signatures) and the packages of this update.
std::set<std::string> ReservedNames(const std::vector<PackageFacts>& packages) {
  std::set<std::string> names;
  for (const std::string name : {kVersionListFile, kActions}) {
    names.insert(FolderName(name));
    names.insert(FolderName(name + kSignatureSuffix));
  }
  for (const PackageFacts& p : packages) names.insert(FolderName(p.name));
  return names;
}

class Download {
 public:
  Download(UpdateRun& run, RunView& view, const std::string& actionsPath)
      : run_(run),
        view_(view),
        app_(run.app),
        actionsPath_(actionsPath),
        ftp_(*run.ftpConnection) {}

  std::string OrderValue(const std::string& key) {
    return app_.ini.ReadIni("ordre", key, actionsPath_);
  }

  void Fail(const std::string& message) { run_.errorText += "\r\n" + message; }
  void Corrupted(const std::string& name) {
    Fail(name + "  " + app_.Translate("Fichiercorrompue"));
  }

  void ShowProgress(long long i, long long packageCount, const std::string& name) {
    run_.progress =
        static_cast<float>(static_cast<double>(i) / (2.0 * static_cast<double>(packageCount) + 1));
    SetPhase(run_, view_,
             app_.Translate("Telechargementde") + " " + name + " " + app_.Translate("Encours"));
    view_.SetProgress(static_cast<int>(std::lround(run_.progress * 100)));
    view_.TraySetTip(run_.phaseText + " (" + Percent(run_.progress * 100) + "%)");
    app_.PumpMessages();
    view_.RepaintPhase();
  }

  // Fetches one package; false (with the reason in errorText) when it did not arrive whole.
  bool Fetch(const PackageFacts& p, const std::set<std::string>& reserved) {
    if (run_.archiveDir.empty()) {
      run_.archiveDir = ArchiveDirOf(run_.downloadDir);
      app_.platform.files->MakeDirectory(run_.archiveDir);
    }
    const std::string dir = p.compressed ? run_.archiveDir : run_.downloadDir;
    if (!FetchChecked(dir, p)) return false;
    if (!p.compressed) return true;
    const std::string path = dir + p.file;
    // An archive holds its own package, never another file the run relies on.
    const auto accept = [&](const std::string& entry) {
      const std::string name = FolderName(entry);
      return name == FolderName(p.name) || !reserved.contains(name);
    };
    const int failures = unrar::ExtractArchive(
        app_, path, run_.downloadDir, "", [this] { return !view_.CloseRequested(); }, accept);
    if (failures > 0) {
      Corrupted(p.name);
      return false;
    }
    return true;
  }

  // Downloads a package file and checks it against the size and digest the action file gives
  // (hashed as it arrives). A download continued from an earlier run's part that does not check
  // out is fetched once more from its start.
  bool FetchChecked(const std::string& dir, const PackageFacts& p) {
    const std::string path = dir + p.file;
    const bool continued = p.Verifiable() && app_.platform.files->IsOrdinaryFile(path + ".part");
    Crypto* crypto = app_.platform.crypto;
    for (int attempt = 0;; ++attempt) {
      const auto hash = p.sha256 && crypto ? crypto->NewSha256() : nullptr;
      // A package is whole only when its size is known: the action file's, else the server's.
      const DownloadCheck check{p.size, p.Verifiable(), hash.get(), -1, true};
      if (!FetchFresh(dir, p.file, p.name, check)) return false;
      const std::string differs =
          CheckPackage(app_, p, path, hash ? std::optional(hash->Final()) : std::nullopt);
      if (differs.empty()) return true;
      RemoveStale(app_, path);
      if (!continued || attempt > 0) {
        Fail(p.file + "  " + app_.Translate("Fichiercorrompue") + " (" + differs + ")");
        return false;
      }
    }
  }

  // Downloads file into dir, never leaving an older copy to stand in for it (that would also
  // let an archive be judged by the count of an earlier extraction).
  bool FetchFresh(const std::string& dir, const std::string& file, const std::string& name,
                  const DownloadCheck& check) {
    if (!RemoveStale(app_, dir + file)) {
      Corrupted(name);
      return false;
    }
    ftp_.SetLocalDir(dir);
    const FtpResult r = ftp_.DownloadFile(file, check);
    if (!r.ok && !r.error.empty()) {
      Fail(FtpErrorLine(app_, r));
      return false;
    }
    if (!app_.platform.files->IsOrdinaryFile(dir + file)) {
      Corrupted(name);
      return false;
    }
    return true;
  }

  // The checks made before any package is fetched; false, with the reason in errorText and the
  // outcome recorded, when the download must not begin.
  bool Prepare(int packageCount, std::vector<PackageFacts>& packages) {
    std::string why;
    auto read = ReadPackages(app_, actionsPath_, packageCount, why);
    if (!read) {
      Corrupted(actionsPath_.empty() ? kActions : BaseName(actionsPath_, kAnySlash));
      if (!why.empty()) run_.errorText += " (" + why + ")";
      run_.End(RunOutcome::Failed);
      return false;
    }
    packages = std::move(*read);
    if (run_.updateVerified) {
      // The action file the search checked is the one installed from.
      why = CheckSignature(app_, run_.trustedKeys, actionsPath_, kActions);
      if (why.empty()) why = CheckSignedActions(run_, actionsPath_);
      if (!why.empty()) {
        Fail(why);
        run_.End(RunOutcome::Refused);
        return false;
      }
      if (const std::string stale = ClearStaleDownloads(run_, packages); !stale.empty()) {
        Fail(FtpErrorLine(app_, FtpResult::Fail(stale, FtpFault::Local)));
        run_.End(RunOutcome::Failed);
        return false;
      }
    }
    if (why = CheckRoom(run_, packages); !why.empty()) {
      Fail(why);
      run_.End(RunOutcome::Failed);
      return false;
    }
    return true;
  }

  // False, with the reason in errorText, when the settings file could not take the records.
  bool RecordDownload(const std::string& version) {
    if (app_.ini.Write("Telechargement", "DerniereDate", FormatDate(app_.platform.system->Now())) &&
        app_.ini.Write("Telechargement", "DerniereVersion", version))
      return true;
    Fail(app_.Translate("TelechargementNonEnregistre") + " " + app_.ini.SettingsPath());
    return false;
  }

  bool AskGoAhead() {
    const std::string done = app_.Translate("Télechargementdesfichiersterminé.");
    view_.MoveDots(false);
    view_.TraySetTip(done);
    SetPhase(run_, view_, done + "\r\n" + app_.Translate("Linstallationpeutdébuter"));
    view_.RestoreAndShow();
    return view_.AskGoAhead(done + "\r\n" + app_.Translate("Avantdecommencerlinstallation") +
                            "\r\n" + app_.Translate("Commencerlinstallation"));
  }

 private:
  UpdateRun& run_;
  RunView& view_;
  AppContext& app_;
  const std::string& actionsPath_;
  FtpConnection& ftp_;
};

}  // namespace

void DownloadUpdate(UpdateRun& run, RunView& view, const std::string& actionsPath) {
  if (!run.ftpConnection) return;
  AppContext& app = run.app;
  Download d(run, view, actionsPath);
  view.EnableButton(RunButton::Options, false);
  if (!CheckInstallFolder(run, view)) {
    view.EnableButton(RunButton::Options, true);
    return;
  }

  // An action file that did not arrive, or that names no version, brings nothing to install
  // (and would otherwise overwrite the recorded versions with nothing).
  const bool present = !actionsPath.empty() && app.platform.files->IsOrdinaryFile(actionsPath);
  const std::string version = present ? d.OrderValue("versionActuelle") : "";
  const int packageCount =
      present ? WholeValue(d.OrderValue("nb")) : 0;  // no package to install is no update
  if (!IsVersionText(version) || packageCount <= 0 || packageCount > kMaxPackages) {
    d.Corrupted(actionsPath.empty() ? kActions : BaseName(actionsPath, kAnySlash));
    view.EnableButton(RunButton::Options, true);
    run.End(RunOutcome::Failed);
    return;
  }
  if (IsNewerVersion(version, app.ini.Read("temps", "DerniereVersion"))) {
    view.EnableButton(RunButton::Options, true);  // the installed version is newer: nothing to do
    run.End(RunOutcome::NothingToDo);
    return;
  }

  std::vector<PackageFacts> packages;
  if (!d.Prepare(packageCount, packages)) {
    view.EnableButton(RunButton::Options, true);
    return;
  }
  const std::set<std::string> reserved = ReservedNames(packages);
  bool ok = true;
  view.MoveDots(true);
  view.PlayAnimation("WebfolderCopy1File");
  for (long long i = 1; i <= packageCount && ok; ++i) {
    if (view.CloseRequested()) {
      ok = false;
      break;
    }
    const PackageFacts& p = packages[static_cast<std::size_t>(i - 1)];
    d.ShowProgress(i, packageCount, p.name);
    ok = d.Fetch(p, reserved);
  }
  // A window closed during the download ends the run before its installation.
  const bool closed = view.CloseRequested();
  if (ok && !closed) {
    view.PlayAnimation("");
    ok = d.RecordDownload(version);
  }
  if (ok && !closed) {
    if (!d.AskGoAhead() || view.CloseRequested()) {
      view.EnableButton(RunButton::Options, true);
      run.End(RunOutcome::Cancelled);  // nothing installed; the downloads stay for next time
      return;
    }
  }
  view.MoveDots(false);
  view.PlayAnimation("");
  if (!ok || closed) {
    view.EnableButton(RunButton::Options, true);
    run.End(closed ? RunOutcome::Cancelled : RunOutcome::Failed);
    return;
  }
  const std::string done = app.Translate("Télechargementdesfichiersterminé.");
  const std::string next = app.Translate("Linstallationvadébuter");
  SetPhase(run, view, done + "\r\n" + next);
  view.TraySetTip(done + next);
  view.SetActionCaption("Installer");
  app.platform.system->SleepMs(50);

  run.errorText.clear();
  const bool installed = InstallAndRecord(run, view, packageCount, actionsPath, version);
  run.End(installed ? RunOutcome::Installed : RunOutcome::Failed);
  view.EnableButton(RunButton::Options, true);
}

}  // namespace quo
