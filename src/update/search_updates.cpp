#include "update/search_updates.h"

#include <algorithm>
#include <exception>

#include "app/app_context.h"
#include "core/ftp_address.h"
#include "core/text.h"
#include "ftp/ftp_connection.h"
#include "platform/files.h"
#include "platform/ftp_client.h"
#include "platform/system.h"
#include "run/error_lines.h"
#include "run/install_folder.h"
#include "run/run_view.h"
#include "run/update_run.h"
#include "update/verified_update.h"
#include "update/version_list.h"

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
  run.trustedKeys = trusted.keys;
  run.updateVerified = false;
  if (!trusted.bad.empty()) {
    // The start of the text only: a key does not wrap, and this is enough to find it.
    const std::string& bad = trusted.bad;
    SetPhase(run, view,
             app.Translate("CleSignatureInvalide") + " " +
                 (bad.size() > 12 ? bad.substr(0, 12) + "..." : bad));
    run.End(RunOutcome::Refused);
    return false;
  }
  if (trusted.keys.empty() && !run.warnedUnverified) {
    view.Warn(app.Translate("MajNonVerifiees"));
    run.warnedUnverified = true;
  }
  return true;
}

// The server address of the settings (or of the dialog): one that is not an address is refused
// before anything connects (the build's default server when none is set).
bool CheckServerAddress(UpdateRun& run, RunView& view) {
  if (run.serverAddress.empty()) run.serverAddress = QUO_DEFAULT_SERVER;
  if (ParseFtpAddress(run.serverAddress, kFtpDefaultPort)) return true;
  AppContext& app = run.app;
  SetPhase(run, view, app.Translate("AdresseServeurInvalide") + " " + run.serverAddress);
  view.SetActionCaption(app.Translate("Sortir"));
  run.End(RunOutcome::Refused);
  return false;
}

// Connects, lists the update directory and reads the version list; true when an update was
// found (its action file fetched, the session left open on its folder).
bool Search(UpdateRun& run, RunView& view) {
  AppContext& app = run.app;
  run.ftpConnection = std::make_unique<FtpConnection>(app);
  FtpConnection& ftp = *run.ftpConnection;
  ftp.SetURL(run.serverAddress);
  ftp.SetPass(run.serverPassword);
  ftp.SetUser(run.serverUser);
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
  SetPhase(run, view, app.Translate("Connectionauserveurencours"));
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
    SetPhase(run, view, app.Translate("Impossibledeseconnecterauserveur") + said);
    view.SetActionCaption(app.Translate("Sortir"));
    view.EnableButton(RunButton::Action, true);
    view.EnableButton(RunButton::Search, true);
    if (run.ftpConnection) run.ftpConnection->Disconnect();
    run.ftpConnection.reset();
    run.End(view.CloseRequested() ? RunOutcome::Cancelled : RunOutcome::Failed);
    return false;
  }
  view.PlayAnimation("SyncWebsite");
  ftp.SetLocalDir(run.downloadDir);
  // Without the update directory and its listing there is no telling whether an update exists:
  // the search failed, it did not find "nothing".
  FtpResult listed = ftp.ChangeDirectory(run.serverDir);
  const std::string listing = listed.ok ? ftp.ListDirectory() : "";
  if (listed.ok) listed = ftp.LastList();
  if (listed.ok) {
    FindUpdateInListing(run, view, listing);
  } else {
    SetPhase(run, view, app.Translate("ListeMajIllisible") + "\r\n" + FtpErrorLine(app, listed));
    run.End(RunOutcome::Failed);
  }
  if (!run.updateAvailable) view.SetActionCaption(app.Translate("Sortir"));
  EnableButtons(view, true);
  view.PlayAnimation("");
  return run.updateAvailable;
}

}  // namespace

bool SearchUpdates(UpdateRun& run, RunView& view) {
  AppContext& app = run.app;
  bool result = false;
  try {
    EnableButtons(view, false);
    run.ftpConnection.reset();  // an earlier session closes its handles
    run.updateAvailable = false;
    run.End(RunOutcome::Running);
    if (CheckInstallFolder(run, view) && CheckServerAddress(run, view) && TrustKeys(run, view)) {
      result = Search(run, view);
    } else {
      view.EnableButton(RunButton::Action, true);
      view.EnableButton(RunButton::Search, true);
    }
  } catch (const std::exception& e) {
    // Any failure of the search ends in the closing steps, as a failed search.
    SetPhase(run, view, app.Translate("ListeMajIllisible") + "\r\n" + e.what());
    run.updateAvailable = result = false;
    run.End(RunOutcome::Failed);
  }
  view.MoveDots(false);
  view.EnableButton(RunButton::Options, true);
  if (run.launchedByProduct && !run.updateAvailable) view.UnloadMe();
  return result;
}

}  // namespace quo
