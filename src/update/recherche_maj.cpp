#include "update/recherche_maj.h"

#include <algorithm>
#include <exception>

#include "app/app_context.h"
#include "core/ftp_address.h"
#include "core/text.h"
#include "run/error_lines.h"
#include "run/install_folder.h"
#include "run/run_view.h"
#include "run/update_run.h"
#include "ftp/sck_ftp.h"
#include "platform/files.h"
#include "platform/ftp_client.h"
#include "platform/system.h"
#include "update/verified_update.h"
#include "update/version_liste.h"

namespace quo {

namespace {

void EnableButtons(RunView& view, bool on) {
  view.EnableButton(RunButton::Options, on);
  view.EnableButton(RunButton::Action, on);
  view.EnableButton(RunButton::Search, on);
}

// The publisher's keys the run trusts. A setting that holds something else than a key refuses
// every update (a key was meant to be trusted); no key at all is told once on standard error.
bool TrustKeys(UpdateRun& run, RunView& view) {
  AppContext& app = run.app;
  const TrustedKeys trusted = ReadTrustedKeys(app);
  run.ClesConfiance = trusted.keys;
  run.MajVerifiee = false;
  if (!trusted.bad.empty()) {
    // The start of the text only: a key does not wrap, and this is enough to find it.
    const std::string& bad = trusted.bad;
    SetPhase(run, view, app.Traduire("CleSignatureInvalide") + " " +
                            (bad.size() > 12 ? bad.substr(0, 12) + "..." : bad));
    run.End(RunOutcome::Refused);
    return false;
  }
  if (trusted.keys.empty() && !run.AvertiNonVerifiee) {
    view.Warn(app.Traduire("MajNonVerifiees"));
    run.AvertiNonVerifiee = true;
  }
  return true;
}

// The server address of the settings (or of the dialog): one that is not an address is refused
// before anything connects (the build's default server when none is set).
bool CheckServerAddress(UpdateRun& run, RunView& view) {
  if (run.MyAdresse.empty()) run.MyAdresse = QUO_DEFAULT_SERVER;
  if (ParseFtpAddress(run.MyAdresse, kFtpDefaultPort)) return true;
  AppContext& app = run.app;
  SetPhase(run, view, app.Traduire("AdresseServeurInvalide") + " " + run.MyAdresse);
  view.SetActionCaption(app.Traduire("Sortir"));
  run.End(RunOutcome::Refused);
  return false;
}

// Connects, lists the update directory and reads the version list; true when an update was
// found (its action file fetched, the session left open on its folder).
bool Search(UpdateRun& run, RunView& view) {
  AppContext& app = run.app;
  run.SessionFtp = std::make_unique<SckFtp>(app);
  SckFtp& ftp = *run.SessionFtp;
  ftp.SetURL(run.MyAdresse);
  ftp.SetPass(run.MyMotPasse);
  ftp.SetUser(run.MyUser);
  ftp.SetTls(NumericValue(app.ini.Read("Server", "TLS")) == 1);
  std::string ca = app.ini.Read("Server", "CA");  // a relative name lies in the program folder
  if (!ca.empty() && !app.platform.files->IsAbsolutePath(ca)) ca = app.programDir + ca;
  ftp.SetCA(ca);
  if (FtpService* service = app.platform.ftp) {
    // The floor on a transfer's average rate (bytes per second, 0: none).
    const std::string floor = app.ini.Read("Server", "DebitMinimal");
    FtpLimits limits = service->Limits();
    limits.minRateBytesPerSec = floor.empty() ? FtpLimits{}.minRateBytesPerSec
                                              : std::max<std::int64_t>(0, WholeValue(floor));
    service->SetLimits(limits);
  }
  SetPhase(run, view, app.Traduire("Connectionauserveurencours"));
  view.PlayAnimation("PulseConnect");
  view.MoveDots(true);
  app.PumpMessages();
  app.platform.system->SleepMs(1);
  ftp.Connect();
  view.MoveDots(false);
  if (!ftp.Connected() || view.CloseRequested()) {
    view.PlayAnimation("");
    const FtpResult& why = ftp.LastConnect();
    const std::string said = why.error.empty() ? "" : "\r\n" + FtpErrorLine(app, why);
    SetPhase(run, view, app.Traduire("Impossibledeseconnecterauserveur") + said);
    view.SetActionCaption(app.Traduire("Sortir"));
    view.EnableButton(RunButton::Action, true);
    view.EnableButton(RunButton::Search, true);
    if (run.SessionFtp) run.SessionFtp->Deconnect();
    run.SessionFtp.reset();
    run.End(view.CloseRequested() ? RunOutcome::Cancelled : RunOutcome::Failed);
    return false;
  }
  view.PlayAnimation("SyncWebsite");
  ftp.SetDossier(run.MyDossier);
  // Without the update directory and its listing there is no telling whether an update exists:
  // the search failed, it did not find "nothing".
  FtpResult listed = ftp.ChangeDirectory(run.MyRepertoireFTP);
  const std::string listing = listed.ok ? ftp.ListFile() : "";
  if (listed.ok) listed = ftp.LastList();
  if (listed.ok) {
    AnalyseListe(run, view, listing);
  } else {
    SetPhase(run, view, app.Traduire("ListeMajIllisible") + "\r\n" + FtpErrorLine(app, listed));
    run.End(RunOutcome::Failed);
  }
  if (!run.MajDisponible) view.SetActionCaption(app.Traduire("Sortir"));
  EnableButtons(view, true);
  view.PlayAnimation("");
  return run.MajDisponible;
}

}  // namespace

bool RechercheMaj(UpdateRun& run, RunView& view) {
  AppContext& app = run.app;
  bool result = false;
  try {
    EnableButtons(view, false);
    run.SessionFtp.reset();  // an earlier session closes its handles
    run.MajDisponible = false;
    run.End(RunOutcome::Running);
    if (CheckInstallFolder(run, view) && CheckServerAddress(run, view) && TrustKeys(run, view)) {
      result = Search(run, view);
    } else {
      view.EnableButton(RunButton::Action, true);
      view.EnableButton(RunButton::Search, true);
    }
  } catch (const std::exception& e) {
    // Any failure of the search ends in the closing steps, as a failed search.
    SetPhase(run, view, app.Traduire("ListeMajIllisible") + "\r\n" + e.what());
    run.MajDisponible = result = false;
    run.End(RunOutcome::Failed);
  }
  view.MoveDots(false);
  view.EnableButton(RunButton::Options, true);
  if (run.Externe && !run.MajDisponible) view.UnloadMe();
  return result;
}

}  // namespace quo
