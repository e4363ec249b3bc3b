#include "update/version_list.h"

#include <algorithm>

#include "app/app_context.h"
#include "core/text.h"
#include "ftp/ftp_connection.h"
#include "platform/files.h"
#include "run/error_lines.h"
#include "run/run_view.h"
#include "run/update_run.h"
#include "update/download_files.h"
#include "update/verified_update.h"

namespace quo {

namespace {

// A search that could not learn what the server holds: it says why and nothing is available.
void Failed(UpdateRun& run, RunView& view, const std::string& text) {
  SetPhase(run, view, text);
  run.End(RunOutcome::Failed);
}

// Fetches a file of the current server directory into the download folder, never leaving an
// older copy to stand in for it; "" when it arrived, otherwise why not.
std::string FetchFresh(UpdateRun& run, const std::string& name) {
  AppContext& app = run.app;
  const std::string local = run.downloadDir + name;
  const FtpResult here = FtpResult::Fail(local, FtpFault::Local);
  if (!RemoveStale(app, local)) return FtpErrorLine(app, here);
  DownloadCheck check;
  check.limit = kMaxListBytes;
  const FtpResult r = run.ftpConnection->DownloadFile(name, check);
  if (!r.ok) return FtpErrorLine(app, r);
  return app.platform.files->IsOrdinaryFile(local) ? "" : FtpErrorLine(app, here);
}

// A search the publisher's signature does not back: it says why and nothing is available.
void Refused(UpdateRun& run, RunView& view, const std::string& text) {
  SetPhase(run, view, text);
  run.End(RunOutcome::Refused);
}

// With trusted keys, the signature of a file just fetched: fetched in turn and checked. "" when it
// holds or nothing is verified, else why not.
std::string Verified(UpdateRun& run, const std::string& name) {
  if (run.trustedKeys.empty()) return "";
  AppContext& app = run.app;
  const std::string sig = name + kSignatureSuffix;
  if (!RemoveStale(app, run.downloadDir + sig))
    return app.Translate("SignatureAbsente") + " " + sig;
  DownloadCheck check;
  check.limit = kMaxSignatureBytes;
  const FtpResult r = run.ftpConnection->DownloadFile(sig, check);
  const std::string why = CheckSignature(app, run.trustedKeys, run.downloadDir + name, name);
  return r.ok || why.empty() ? why : why + "\r\n" + FtpErrorLine(app, r);
}

}  // namespace

std::optional<std::string> FetchVersionList(UpdateRun& run, const std::string& name,
                                            std::string& why, bool& refused) {
  refused = false;
  if (!run.ftpConnection) return "";
  why = FetchFresh(run, name);
  if (why.empty()) why = Verified(run, name), refused = !why.empty();
  if (!why.empty()) return std::nullopt;
  return run.app.ini.ReadIniUncached("versions", run.installedVersion, run.downloadDir + name);
}

void FindUpdateInListing(UpdateRun& run, RunView& view, const std::string& listing) {
  AppContext& app = run.app;
  run.updateAvailable = false;
  const auto names = Split(listing, '#');
  view.ShowProgress(false);
  SetPhase(run, view, app.Translate("RecherchedesMiseàJour"));
  const auto it = std::find(names.begin(), names.end(), std::string(kVersionListFile));
  std::string why;
  bool refused = false;
  const std::optional<std::string> folder =
      it == names.end() ? std::string() : FetchVersionList(run, *it, why, refused);
  const std::string actions = run.downloadDir + kActions;
  if (refused) {
    Refused(run, view, why);
  } else if (!folder) {
    Failed(run, view, app.Translate("ListeMajIllisible") + "\r\n" + why);
  } else if (folder->empty()) {
    SetPhase(run, view, app.Translate("Aucunenouvelemiseàjourdedisponible"));
    view.SetActionCaption(app.Translate("Sortir"));
    run.End(RunOutcome::NothingToDo);
  } else if (const FtpResult r = run.ftpConnection->ChangeDirectory(*folder); !r.ok) {
    // The phrase names the folder; the server's reply follows (a folder, not a file, is missing).
    Failed(run, view, app.Translate("DossierMajIntrouvable") + " " + *folder + "\r\n" + r.error);
  } else if (why = FetchFresh(run, kActions); !why.empty()) {
    Failed(run, view, why);  // the download must never read an older action file
  } else if (why = Verified(run, kActions); !why.empty()) {
    Refused(run, view, why);
  } else if (!run.trustedKeys.empty() && !(why = CheckSignedActions(run, actions)).empty()) {
    Refused(run, view, why);
  } else {
    run.updateVerified = !run.trustedKeys.empty();
    run.updateAvailable = true;
    SetPhase(run, view, app.Translate("Denouvellesmisesàjoursontdisponibles"));
    view.SetActionCaption(app.Translate("Mettreajour"));
  }
  view.RepaintPhase();
}

}  // namespace quo
