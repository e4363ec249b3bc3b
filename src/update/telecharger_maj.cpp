#include "update/telecharger_maj.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>

#include "app/app_context.h"
#include "app/dates.h"
#include "core/paths.h"
#include "core/text.h"
#include "run/error_lines.h"
#include "run/install_folder.h"
#include "run/run_view.h"
#include "run/update_run.h"
#include "ftp/sck_ftp.h"
#include "install/install_sequence.h"
#include "platform/crypto.h"
#include "platform/files.h"
#include "platform/system.h"
#include "core/comparer_version.h"
#include "update/download_files.h"
#include "update/package_plan.h"
#include "update/unrar3.h"

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
  for (const std::string name : {kListMaj, kActions}) {
    names.insert(FolderName(name));
    names.insert(FolderName(name + kSignatureSuffix));
  }
  for (const PackageFacts& p : packages) names.insert(FolderName(p.name));
  return names;
}

class Download {
 public:
  Download(UpdateRun& run, RunView& view, const std::string& nomIni)
      : run_(run), view_(view), app_(run.app), nomIni_(nomIni), ftp_(*run.SessionFtp) {}

  std::string Ordre(const std::string& key) { return app_.ini.ReadIni("ordre", key, nomIni_); }

  void Fail(const std::string& message) { run_.ErrorText += "\r\n" + message; }
  void Corrupted(const std::string& name) { Fail(name + "  " + app_.Traduire("Fichiercorrompue")); }

  void ShowProgress(long long i, long long nb, const std::string& name) {
    run_.Progression =
        static_cast<float>(static_cast<double>(i) / (2.0 * static_cast<double>(nb) + 1));
    SetPhase(run_, view_,
             app_.Traduire("Telechargementde") + " " + name + " " + app_.Traduire("Encours"));
    view_.SetProgress(static_cast<int>(std::lround(run_.Progression * 100)));
    view_.TraySetTip(run_.TextePhase + " (" + Percent(run_.Progression * 100) + "%)");
    app_.PumpMessages();
    view_.RepaintPhase();
  }

  // Fetches one package; false (with the reason in ErrorText) when it did not arrive whole.
  bool Fetch(const PackageFacts& p, const std::set<std::string>& reserved) {
    if (run_.MyDossierCompresse.empty()) {
      run_.MyDossierCompresse = DossierCompresse(run_.MyDossier);
      app_.platform.files->MakeDirectory(run_.MyDossierCompresse);
    }
    const std::string dossier = p.compresse ? run_.MyDossierCompresse : run_.MyDossier;
    if (!FetchChecked(dossier, p)) return false;
    if (!p.compresse) return true;
    const std::string path = dossier + p.file;
    // An archive holds its own package, never another file the run relies on.
    const auto accept = [&](const std::string& entry) {
      const std::string name = FolderName(entry);
      return name == FolderName(p.name) || !reserved.contains(name);
    };
    const int nbErreurs = UnRAR3::ExtraireArchive(
        app_, path, run_.MyDossier, "", [this] { return !view_.CloseRequested(); }, accept);
    if (nbErreurs > 0) {
      Corrupted(p.name);
      return false;
    }
    return true;
  }

  // Downloads a package file and checks it against the size and digest the action file gives
  // (hashed as it arrives). A download continued from an earlier run's part that does not check
  // out is fetched once more from its start.
  bool FetchChecked(const std::string& dossier, const PackageFacts& p) {
    const std::string path = dossier + p.file;
    const bool continued = p.Verifiable() && app_.platform.files->IsOrdinaryFile(path + ".part");
    Crypto* crypto = app_.platform.crypto;
    for (int attempt = 0;; ++attempt) {
      const auto hash = p.sha256 && crypto ? crypto->NewSha256() : nullptr;
      // A package is whole only when its size is known: the action file's, else the server's.
      const DownloadCheck check{p.taille, p.Verifiable(), hash.get(), -1, true};
      if (!FetchFresh(dossier, p.file, p.name, check)) return false;
      const std::string differs =
          CheckPackage(app_, p, path, hash ? std::optional(hash->Final()) : std::nullopt);
      if (differs.empty()) return true;
      RemoveStale(app_, path);
      if (!continued || attempt > 0) {
        Fail(p.file + "  " + app_.Traduire("Fichiercorrompue") + " (" + differs + ")");
        return false;
      }
    }
  }

  // Downloads file into dossier, never leaving an older copy to stand in for it (that would also
  // let an archive be judged by the count of an earlier extraction).
  bool FetchFresh(const std::string& dossier, const std::string& file, const std::string& name,
                  const DownloadCheck& check) {
    if (!RemoveStale(app_, dossier + file)) {
      Corrupted(name);
      return false;
    }
    ftp_.SetDossier(dossier);
    const FtpResult r = ftp_.GetFile(file, check);
    if (!r.ok && !r.error.empty()) {
      Fail(FtpErrorLine(app_, r));
      return false;
    }
    if (!app_.platform.files->IsOrdinaryFile(dossier + file)) {
      Corrupted(name);
      return false;
    }
    return true;
  }

  // The checks made before any package is fetched; false, with the reason in ErrorText and the
  // outcome recorded, when the download must not begin.
  bool Prepare(int nb, std::vector<PackageFacts>& packages) {
    std::string why;
    auto read = ReadPackages(app_, nomIni_, nb, why);
    if (!read) {
      Corrupted(nomIni_.empty() ? kActions : BaseName(nomIni_, kAnySlash));
      if (!why.empty()) run_.ErrorText += " (" + why + ")";
      run_.End(RunOutcome::Failed);
      return false;
    }
    packages = std::move(*read);
    if (run_.MajVerifiee) {
      // The action file the search checked is the one installed from.
      why = CheckSignature(app_, run_.ClesConfiance, nomIni_, kActions);
      if (why.empty()) why = CheckSignedActions(run_, nomIni_);
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

  // False, with the reason in ErrorText, when the settings file could not take the records.
  bool RecordDownload(const std::string& version) {
    if (app_.ini.Write("Telechargement", "DerniereDate", FormatDate(app_.platform.system->Now())) &&
        app_.ini.Write("Telechargement", "DerniereVersion", version))
      return true;
    Fail(app_.Traduire("TelechargementNonEnregistre") + " " + app_.ini.SettingsPath());
    return false;
  }

  bool AskGoAhead() {
    const std::string done = app_.Traduire("Télechargementdesfichiersterminé.");
    view_.MoveDots(false);
    view_.TraySetTip(done);
    SetPhase(run_, view_, done + "\r\n" + app_.Traduire("Linstallationpeutdébuter"));
    view_.RestoreAndShow();
    return view_.AskGoAhead(done + "\r\n" + app_.Traduire("Avantdecommencerlinstallation") +
                            "\r\n" + app_.Traduire("Commencerlinstallation"));
  }

 private:
  UpdateRun& run_;
  RunView& view_;
  AppContext& app_;
  const std::string& nomIni_;
  SckFtp& ftp_;
};

}  // namespace

void TelechargerMaj(UpdateRun& run, RunView& view, const std::string& nomIni) {
  if (!run.SessionFtp) return;
  AppContext& app = run.app;
  Download d(run, view, nomIni);
  view.EnableButton(RunButton::Options, false);
  if (!CheckInstallFolder(run, view)) {
    view.EnableButton(RunButton::Options, true);
    return;
  }

  // An action file that did not arrive, or that names no version, brings nothing to install
  // (and would otherwise overwrite the recorded versions with nothing).
  const bool present = !nomIni.empty() && app.platform.files->IsOrdinaryFile(nomIni);
  const std::string version = present ? d.Ordre("versionActuelle") : "";
  const int nb = present ? WholeValue(d.Ordre("nb")) : 0;  // no package to install is no update
  if (!IsVersionText(version) || nb <= 0 || nb > kMaxPackages) {
    d.Corrupted(nomIni.empty() ? kActions : BaseName(nomIni, kAnySlash));
    view.EnableButton(RunButton::Options, true);
    run.End(RunOutcome::Failed);
    return;
  }
  if (ComparerVersion(version, app.ini.Read("temps", "DerniereVersion"))) {
    view.EnableButton(RunButton::Options, true);  // the installed version is newer: nothing to do
    run.End(RunOutcome::NothingToDo);
    return;
  }

  std::vector<PackageFacts> packages;
  if (!d.Prepare(nb, packages)) {
    view.EnableButton(RunButton::Options, true);
    return;
  }
  const std::set<std::string> reserved = ReservedNames(packages);
  bool ok = true;
  view.MoveDots(true);
  view.PlayAnimation("WebfolderCopy1File");
  for (long long i = 1; i <= nb && ok; ++i) {
    if (view.CloseRequested()) {
      ok = false;
      break;
    }
    const PackageFacts& p = packages[static_cast<std::size_t>(i - 1)];
    d.ShowProgress(i, nb, p.name);
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
  const std::string done = app.Traduire("Télechargementdesfichiersterminé.");
  const std::string next = app.Traduire("Linstallationvadébuter");
  SetPhase(run, view, done + "\r\n" + next);
  view.TraySetTip(done + next);
  view.SetActionCaption("Installer");
  app.platform.system->SleepMs(50);

  run.ErrorText.clear();
  const bool installed = InstallAndRecord(run, view, nb, nomIni, version);
  run.End(installed ? RunOutcome::Installed : RunOutcome::Failed);
  view.EnableButton(RunButton::Options, true);
}

}  // namespace quo
