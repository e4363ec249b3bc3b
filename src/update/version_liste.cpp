#include "update/version_liste.h"

#include <algorithm>

#include "app/app_context.h"
#include "core/text.h"
#include "engine/run_view.h"
#include "engine/update_run.h"
#include "ftp/sck_ftp.h"
#include "platform/files.h"
#include "update/download_files.h"

namespace quo {

std::string LitVersionListe(UpdateRun& run, const std::string& name) {
  if (!run.SessionFtp) return "";
  AppContext& app = run.app;
  const std::string local = run.MyDossier + name;
  if (!RemoveStale(app, local)) return "";
  if (!run.SessionFtp->GetFile(name, false).ok) return "";
  if (!app.platform.files->IsOrdinaryFile(local)) return "";
  return app.ini.ReadIni("versions", run.MyVersion, local);
}

void AnalyseListe(UpdateRun& run, RunView& view, const std::string& listing) {
  AppContext& app = run.app;
  run.MajDisponible = false;
  const auto names = Split(listing, '#');
  view.ShowProgress(false);
  SetPhase(run, view, app.Traduire("RecherchedesMiseàJour"));
  const auto it = std::find(names.begin(), names.end(), std::string(kListMaj));
  const std::string folder = it == names.end() ? "" : LitVersionListe(run, *it);
  if (folder.empty()) {
    SetPhase(run, view, app.Traduire("Aucunenouvelemiseàjourdedisponible"));
    view.SetActionCaption(app.Traduire("Sortir"));
  } else {
    run.MajDisponible = true;
    SetPhase(run, view, app.Traduire("Denouvellesmisesàjoursontdisponibles"));
    view.SetActionCaption(app.Traduire("Mettreajour"));
    // The download reports an action file that did not arrive; a stale copy must not stand in.
    if (RemoveStale(app, run.MyDossier + kActions) && run.SessionFtp->ChangeDirectory(folder).ok)
      run.SessionFtp->GetFile(kActions, false);
  }
  view.RepaintPhase();
}

}  // namespace quo
