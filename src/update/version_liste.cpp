#include "update/version_liste.h"

#include <algorithm>

#include "core/text.h"
#include "ftp/sck_ftp.h"
#include "platform/files.h"
#include "app/app_context.h"
#include "ui/frm_test_ftp.h"
#include "update/download_files.h"

namespace quo {

namespace {

void NoUpdate(frmTestFTP& w) {
  AppContext& app = w.App();
  w.SetPhase(app.Traduire("Aucunenouvelemiseàjourdedisponible"));
  w["cmdMettreAJour"].SetCaption(app.Traduire("Sortir"));
}

}  // namespace

std::string LitVersionListe(frmTestFTP& w, const std::string& name) {
  if (!w.SessionFtp) return "";
  AppContext& app = w.App();
  std::string local = w.MyDossier + name;
  if (!RemoveStale(app, local)) return "";
  if (!w.SessionFtp->GetFile(name, false).empty()) return "";
  if (!app.platform.files->IsOrdinaryFile(local)) return "";
  return app.ini.ReadIni("versions", w.MyVersion, local);
}

void AnalyseListe(frmTestFTP& w, const std::string& listing) {
  AppContext& app = w.App();
  w.MajDisponible = false;
  const auto names = Split(listing, '#');
  w["prgPhase"].SetVisible(false);
  w.SetPhase(app.Traduire("RecherchedesMiseàJour"));
  const auto it = std::find(names.begin(), names.end(), std::string(kListMaj));
  const std::string folder = it == names.end() ? "" : LitVersionListe(w, *it);
  if (folder.empty()) {
    NoUpdate(w);
  } else {
    w.MajDisponible = true;
    w.SetPhase(app.Traduire("Denouvellesmisesàjoursontdisponibles"));
    w["cmdMettreAJour"].SetCaption(app.Traduire("Mettreajour"));
    // The download reports an action file that did not arrive; a stale copy must not stand in.
    if (RemoveStale(app, w.MyDossier + kActions) && w.SessionFtp->ChangeDirectory(folder).empty())
      w.SessionFtp->GetFile(kActions, false);
  }
  w["lblPhase"].Repaint();
}

}  // namespace quo
