#include "window/settings_dialog.h"

#include "app/app_context.h"
#include "core/ftp_address.h"
#include "core/text.h"
#include "platform/windowing.h"
#include "run/update_run.h"
#include "window/main_window.h"

namespace quo {

SettingsDialog::SettingsDialog(AppContext& app, MainWindow& main, std::unique_ptr<Form> form)
    : app_(app), main_(main), form_(std::move(form)) {
  Form& f = *form_;
  f.Connect("cmdOK", FormEvent::Click, [this](int) { OnOkClick(); });
  f.Connect("cmdAnnuler", FormEvent::Click, [this](int) { OnCancelClick(); });
  f.Connect("cmdBrowse", FormEvent::Click, [this](int) { OnBrowseClick(); });
  f.Connect("", FormEvent::CloseRequest, [this](int) { OnCancelClick(); });
  OnLoad();
}

void SettingsDialog::OnLoad() {
  Form& f = *form_;
  f["txtMDP"].SetText(app_.ini.Read("Server", "MotPasse"));
  f["txtUser"].SetText(app_.ini.Read("Server", "User"));
  f["txtAdresse"].SetText(app_.ini.Read("Server", "Adresse"));
  f["txtChemin"].SetText(app_.ini.Read("Server", "Chemin"));
  f["txtDestination"].SetText(app_.ini.Read("Server", "Destination"));
  Control& cbo = f["cboFrequence"];
  cbo.ClearItems();
  cbo.AddItem(app_.Translate("Miseàjourdésactivé"));
  cbo.AddItem(app_.Translate("Hebdomadaire"));
  cbo.AddItem(app_.Translate("Mensuel"));
  // A stored value outside the list (other than -1, "none chosen") selects the first entry.
  const int index = WholeValue(app_.ini.Read("temps", "frequence"));
  cbo.SetListIndex(index >= -1 && index <= 2 ? index : 0);
  if (f["txtAdresse"].Text().empty()) f["txtAdresse"].SetText(main_.Run().serverAddress);
  if (f["txtDestination"].Text().empty()) f["txtDestination"].SetText(main_.Run().installDir);
}

void SettingsDialog::OnOkClick() {
  if (main_.Busy()) return;  // a running run keeps its folder, server and account
  Form& f = *form_;
  // An address the search would refuse is not saved: the dialog says why and stays open. An
  // accepted one is saved as FormatFtpAddress writes it; an empty one means the default server.
  std::string address = Trim(f["txtAdresse"].Text());
  if (!address.empty()) {
    const auto parsed = ParseFtpAddress(address, kFtpDefaultPort);
    if (!parsed) {
      if (Windowing* w = app_.platform.windowing)
        w->MessageBox(app_.Translate("AdresseServeurInvalide") + " " + address, "", MsgButtons::Ok);
      return;
    }
    address = FormatFtpAddress(*parsed, kFtpDefaultPort);
  }
  app_.ini.Write("Server", "MotPasse", f["txtMDP"].Text());
  app_.ini.Write("Server", "User", f["txtUser"].Text());
  app_.ini.Write("Server", "Adresse", address);
  app_.ini.Write("Server", "Chemin", f["txtChemin"].Text());
  app_.ini.Write("Server", "Destination", f["txtDestination"].Text());
  app_.ini.Write("temps", "frequence", std::to_string(f["cboFrequence"].ListIndex()));
  UpdateRun& run = main_.Run();
  run.serverAddress = address;
  run.serverDir = f["txtChemin"].Text();
  run.serverPassword = f["txtMDP"].Text();
  run.serverUser = f["txtUser"].Text();
  run.installDir = f["txtDestination"].Text();
  OnCancelClick();
}

void SettingsDialog::OnCancelClick() {
  closed_ = true;
  form_->Close();
}

void SettingsDialog::OnBrowseClick() {
  Windowing* w = app_.platform.windowing;
  if (w == nullptr) return;
  const auto chosen =
      w->OpenFile(app_.Translate("RecherchedeQuorvanta"), "Quorvanta", "Quorvanta.exe");
  if (!chosen || chosen->empty()) return;
  // Only the product's executable names the product folder; a typed name bypasses the filter.
  const std::string exe = "Quorvanta.exe";
  if (!EndsWith(*chosen, "/" + exe) && *chosen != exe) return;
  (*form_)["txtDestination"].SetText(chosen->substr(0, chosen->size() - exe.size()));
}

void SettingsDialog::Show() { form_->Show(); }

}  // namespace quo
