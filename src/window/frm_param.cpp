#include "window/frm_param.h"

#include "app/app_context.h"
#include "core/ftp_address.h"
#include "core/text.h"
#include "run/update_run.h"
#include "platform/windowing.h"
#include "window/frm_test_ftp.h"

namespace quo {

frmParam::frmParam(AppContext& app, frmTestFTP& main, std::unique_ptr<Form> form)
    : app_(app), main_(main), form_(std::move(form)) {
  Form& f = *form_;
  f.Connect("cmdOK", FormEvent::Click, [this](int) { cmdOK_Click(); });
  f.Connect("cmdAnnuler", FormEvent::Click, [this](int) { cmdAnnuler_Click(); });
  f.Connect("cmdBrowse", FormEvent::Click, [this](int) { cmdBrowse_Click(); });
  f.Connect("", FormEvent::CloseRequest, [this](int) { cmdAnnuler_Click(); });
  Form_Load();
}

void frmParam::Form_Load() {
  Form& f = *form_;
  f["txtMDP"].SetText(app_.ini.Read("Server", "MotPasse"));
  f["txtUser"].SetText(app_.ini.Read("Server", "User"));
  f["txtAdresse"].SetText(app_.ini.Read("Server", "Adresse"));
  f["txtChemin"].SetText(app_.ini.Read("Server", "Chemin"));
  f["txtDestination"].SetText(app_.ini.Read("Server", "Destination"));
  Control& cbo = f["cboFrequence"];
  cbo.ClearItems();
  cbo.AddItem(app_.Traduire("Miseàjourdésactivé"));
  cbo.AddItem(app_.Traduire("Hebdomadaire"));
  cbo.AddItem(app_.Traduire("Mensuel"));
  // A stored value outside the list (other than -1, "none chosen") selects the first entry.
  const int index = WholeValue(app_.ini.Read("temps", "frequence"));
  cbo.SetListIndex(index >= -1 && index <= 2 ? index : 0);
  if (f["txtAdresse"].Text().empty()) f["txtAdresse"].SetText(main_.Run().MyAdresse);
  if (f["txtDestination"].Text().empty())
    f["txtDestination"].SetText(main_.Run().MyInstallationDest);
}

void frmParam::cmdOK_Click() {
  if (main_.Busy()) return;  // a running run keeps its folder, server and account
  Form& f = *form_;
  // An address the search would refuse is not saved: the dialog says why and stays open. An
  // accepted one is saved as FormatFtpAddress writes it; an empty one means the default server.
  std::string adresse = Trim(f["txtAdresse"].Text());
  if (!adresse.empty()) {
    const auto parsed = ParseFtpAddress(adresse, kFtpDefaultPort);
    if (!parsed) {
      if (Windowing* w = app_.platform.windowing)
        w->MessageBox(app_.Traduire("AdresseServeurInvalide") + " " + adresse, "", MsgButtons::Ok);
      return;
    }
    adresse = FormatFtpAddress(*parsed, kFtpDefaultPort);
  }
  app_.ini.Write("Server", "MotPasse", f["txtMDP"].Text());
  app_.ini.Write("Server", "User", f["txtUser"].Text());
  app_.ini.Write("Server", "Adresse", adresse);
  app_.ini.Write("Server", "Chemin", f["txtChemin"].Text());
  app_.ini.Write("Server", "Destination", f["txtDestination"].Text());
  app_.ini.Write("temps", "frequence", std::to_string(f["cboFrequence"].ListIndex()));
  UpdateRun& run = main_.Run();
  run.MyAdresse = adresse;
  run.MyRepertoireFTP = f["txtChemin"].Text();
  run.MyMotPasse = f["txtMDP"].Text();
  run.MyUser = f["txtUser"].Text();
  run.MyInstallationDest = f["txtDestination"].Text();
  cmdAnnuler_Click();
}

void frmParam::cmdAnnuler_Click() {
  closed_ = true;
  form_->Close();
}

void frmParam::cmdBrowse_Click() {
  Windowing* w = app_.platform.windowing;
  if (w == nullptr) return;
  const auto chosen =
      w->OpenFile(app_.Traduire("RecherchedeQuorvanta"), "Quorvanta", "Quorvanta.exe");
  if (!chosen || chosen->empty()) return;
  // Only the product's executable names the product folder; a typed name bypasses the filter.
  const std::string exe = "Quorvanta.exe";
  if (!EndsWith(*chosen, "/" + exe) && *chosen != exe) return;
  (*form_)["txtDestination"].SetText(chosen->substr(0, chosen->size() - exe.size()));
}

void frmParam::Show() { form_->Show(); }

}  // namespace quo
