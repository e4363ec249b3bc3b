#include "update/telecharger_maj.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/text.h"
#include "ftp/sck_ftp.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/windowing.h"
#include "app/app_context.h"
#include "startup/dates.h"
#include "ui/frm_test_ftp.h"
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
  Download(frmTestFTP& w, std::string& nomIni)
      : w_(w), app_(w.App()), nomIni_(nomIni), ftp_(*w.SessionFtp) {}

  std::string Ordre(const std::string& key) { return app_.ini.ReadIni("ordre", key, nomIni_); }

  void Fail(const std::string& message) { w_.ErrorText += "\r\n" + message; }
  void Corrupted(const std::string& name) { Fail(name + "  " + app_.Traduire("Fichiercorrompue")); }

  void ShowProgress(long long i, long long nb, const std::string& name) {
    w_.Progression =
        static_cast<float>(static_cast<double>(i) / (2.0 * static_cast<double>(nb) + 1));
    w_.SetPhase(app_.Traduire("Telechargementde") + " " + name + " " + app_.Traduire("Encours"));
    w_["prgPhase"].SetValue(static_cast<int>(std::lround(w_.Progression * 100)));
    w_.TraySetTip(w_.TextePhase + " (" + Percent(w_.Progression * 100) + "%)");
    app_.PumpMessages();
    w_["lblPhase"].Repaint();
  }

  // Fetches one package; false (with the reason in ErrorText) when it did not arrive whole.
  bool Fetch(const std::string& name) {
    if (!IsPackageName(name)) {
      Corrupted(nomIni_.empty() ? kActions : BaseName(nomIni_));
      return false;
    }
    const bool compresse = NumericValue(app_.ini.ReadIni(name, "compresse", nomIni_)) == 1;
    if (w_.MyDossierCompresse.empty()) {
      w_.MyDossierCompresse = DossierCompresse(w_.MyDossier);
      app_.platform.files->MakeDirectory(w_.MyDossierCompresse);
    }
    const std::string dossier = compresse ? w_.MyDossierCompresse : w_.MyDossier;
    const std::string file = compresse ? NomArchive(name) : name;
    if (!FetchFresh(dossier, file, name)) return false;
    if (!compresse) return true;
    const std::string path = dossier + file;
    UnRAR3::ExtraireArchive(app_, path, w_.MyDossier, "", [this] { return !w_.CloseRequested(); });
    if (UnRAR3::NbErreursRar() > 0) {
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
    const std::string result = ftp_.GetFile(file, false);
    if (!result.empty()) {
      Fail(result);
      return false;
    }
    if (!app_.platform.files->IsOrdinaryFile(dossier + file)) {
      Corrupted(name);
      return false;
    }
    return true;
  }

  void RecordDownload(const std::string& version) {
    app_.ini.Write("Telechargement", "DerniereDate", FormatDate(app_.platform.system->Now()));
    app_.ini.Write("Telechargement", "DerniereVersion", version);
  }

  bool AskGoAhead() {
    const std::string done = app_.Traduire("Télechargementdesfichiersterminé.");
    w_["tmrMvt"].SetEnabled(false);
    w_.TraySetTip(done);
    w_.SetPhase(done + "\r\n" + app_.Traduire("Linstallationpeutdébuter"));
    w_.View().SetState(WindowState::Normal);
    w_.View().Show();
    Windowing* win = app_.platform.windowing;
    if (win == nullptr) return false;
    const std::string text = done + "\r\n" + app_.Traduire("Avantdecommencerlinstallation") +
                             "\r\n" + app_.Traduire("Commencerlinstallation");
    return win->MessageBox(text, w_.View().Caption(), MsgButtons::OkCancel) == MsgResult::Ok;
  }

 private:
  frmTestFTP& w_;
  AppContext& app_;
  std::string& nomIni_;
  SckFtp& ftp_;
};

}  // namespace

void TelechargerMaj(frmTestFTP& w, std::string& nomIni, bool /*Force*/) {
  if (!w.SessionFtp) return;
  frmTestFTP::BusyScope busy(w);
  AppContext& app = w.App();
  Download d(w, nomIni);
  w["cmdOptions"].SetEnabled(false);

  // An action file that did not arrive, or that names no version, brings nothing to install
  // (and would otherwise overwrite the recorded versions with nothing).
  const bool present = !nomIni.empty() && app.platform.files->IsOrdinaryFile(nomIni);
  const std::string version = present ? d.Ordre("versionActuelle") : "";
  if (!IsVersionText(version)) {
    d.Corrupted(nomIni.empty() ? kActions : BaseName(nomIni));
    w["cmdOptions"].SetEnabled(true);
    w.SetOutcome(true, false);
    return;
  }
  if (ComparerVersion(version, app.ini.Read("temps", "DerniereVersion"))) {
    w["cmdOptions"].SetEnabled(true);  // the installed version is newer: nothing to do
    w.SetOutcome(true, true);
    return;
  }
  const int nb = std::max(0, WholeValue(d.Ordre("nb")));
  if (w.MyInstallationDest.empty()) w.MyInstallationDest = app.programDir;

  bool ok = true;
  w["tmrMvt"].SetEnabled(true);
  w.PlayAnimation("WebfolderCopy1File");
  for (long long i = 1; i <= nb && ok; ++i) {
    if (w.CloseRequested()) {
      ok = false;
      break;
    }
    const std::string name = d.Ordre(std::to_string(i));
    d.ShowProgress(i, nb, name);
    ok = d.Fetch(name);
  }
  ok = ok && !w.CloseRequested();

  if (ok) {
    w.PlayAnimation("");
    d.RecordDownload(version);
    if (!d.AskGoAhead() || w.CloseRequested()) {
      w["cmdOptions"].SetEnabled(true);
      return;
    }
  }
  w["tmrMvt"].SetEnabled(false);
  w.PlayAnimation("");
  if (!ok) {
    w["cmdOptions"].SetEnabled(true);
    w.SetOutcome(true, false);
    return;
  }
  const std::string done = app.Traduire("Télechargementdesfichiersterminé.");
  const std::string next = app.Traduire("Linstallationvadébuter");
  w.SetPhase(done + "\r\n" + next);
  w.TraySetTip(done + next);
  w["cmdMettreAJour"].SetCaption("Installer");
  app.platform.system->SleepMs(50);

  w.ErrorText.clear();
  w.Install(nb, nomIni);
  app.ini.Write("temps", "dernier", FormatDate(app.platform.system->Now()));
  if (w.ErrorText.empty()) app.ini.Write("temps", "DerniereVersion", version);
  w.SetOutcome(true, w.ErrorText.empty());
  w["cmdOptions"].SetEnabled(true);
}

}  // namespace quo
