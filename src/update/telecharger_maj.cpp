#include "update/telecharger_maj.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/app_context.h"
#include "app/dates.h"
#include "core/text.h"
#include "engine/error_lines.h"
#include "engine/install_folder.h"
#include "engine/run_view.h"
#include "engine/update_run.h"
#include "ftp/sck_ftp.h"
#include "install/install_sequence.h"
#include "platform/files.h"
#include "platform/system.h"
#include "update/comparer_version.h"
#include "update/download_files.h"
#include "update/unrar3.h"

namespace quo {

namespace {

// "#0.00" whatever the locale.
std::string Percent(float value) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  return std::string(buf, r.ptr);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
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
  bool Fetch(const std::string& name) {
    if (!IsPackageName(name)) {
      Corrupted(nomIni_.empty() ? kActions : BaseName(nomIni_));
      return false;
    }
    const bool compresse = NumericValue(app_.ini.ReadIni(name, "compresse", nomIni_)) == 1;
    if (run_.MyDossierCompresse.empty()) {
      run_.MyDossierCompresse = DossierCompresse(run_.MyDossier);
      app_.platform.files->MakeDirectory(run_.MyDossierCompresse);
    }
    const std::string dossier = compresse ? run_.MyDossierCompresse : run_.MyDossier;
    const std::string file = compresse ? NomArchive(name) : name;
    if (!FetchFresh(dossier, file, name)) return false;
    if (!compresse) return true;
    const std::string path = dossier + file;
    const int nbErreurs = UnRAR3::ExtraireArchive(app_, path, run_.MyDossier, "",
                                                  [this] { return !view_.CloseRequested(); });
    if (nbErreurs > 0) {
      Corrupted(name);
      return false;
    }
    return true;
  }

  // Downloads file into dossier, never leaving an older copy to stand in for it (that would also
  // let an archive be judged by the count of an earlier extraction).
  bool FetchFresh(const std::string& dossier, const std::string& file, const std::string& name) {
    if (!RemoveStale(app_, dossier + file)) {
      Corrupted(name);
      return false;
    }
    ftp_.SetDossier(dossier);
    const FtpResult r = ftp_.GetFile(file, false);
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

  // False, with the reason in ErrorText, when the settings file could not take the records.
  bool RecordDownload(const std::string& version) {
    if (app_.ini.Write("Telechargement", "DerniereDate", FormatDate(app_.platform.system->Now())) &&
        app_.ini.Write("Telechargement", "DerniereVersion", version))
      return true;
    Fail(app_.Traduire("EnregistrementImpossible") + " " + app_.ini.SettingsPath());
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

void TelechargerMaj(UpdateRun& run, RunView& view, const std::string& nomIni, bool /*Force*/) {
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
  if (!IsVersionText(version) || nb <= 0) {
    d.Corrupted(nomIni.empty() ? kActions : BaseName(nomIni));
    view.EnableButton(RunButton::Options, true);
    run.End(RunOutcome::Failed);
    return;
  }
  if (ComparerVersion(version, app.ini.Read("temps", "DerniereVersion"))) {
    view.EnableButton(RunButton::Options, true);  // the installed version is newer: nothing to do
    run.End(RunOutcome::NothingToDo);
    return;
  }

  bool ok = true;
  view.MoveDots(true);
  view.PlayAnimation("WebfolderCopy1File");
  for (long long i = 1; i <= nb && ok; ++i) {
    if (view.CloseRequested()) {
      ok = false;
      break;
    }
    const std::string name = d.Ordre(std::to_string(i));
    d.ShowProgress(i, nb, name);
    ok = d.Fetch(name);
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
