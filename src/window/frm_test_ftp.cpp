#include "window/frm_test_ftp.h"

#include <cstdio>

#include "app/app_context.h"
#include "core/text.h"
#include "run/update_run.h"
#include "ftp/sck_ftp.h"
#include "platform/animation.h"
#include "platform/files.h"
#include "platform/windowing.h"
#include "install/target_dir.h"
#include "window/frm_param.h"
#include "window/mdl_tray.h"
#include "window/traduire_form.h"
#include "update/lancer_maj.h"
#include "update/recherche_maj.h"

namespace quo {

frmTestFTP::frmTestFTP(UpdateRun& run, FormFactory& forms)
    : run_(run), app_(run.app), forms_(forms), form_(forms.Create("frmTestFTP")) {
  ConnectEvents();
}

void frmTestFTP::ConnectEvents() {
  Form& f = *form_;
  auto on = [&f](const char* control, FormEvent e, void (frmTestFTP::*fn)(), frmTestFTP* self) {
    f.Connect(control, e, [self, fn](int) { (self->*fn)(); });
  };
  on("", FormEvent::Activate, &frmTestFTP::Form_Activate, this);
  on("", FormEvent::Resize, &frmTestFTP::Form_Resize, this);
  on("", FormEvent::CloseRequest, &frmTestFTP::UnloadMe, this);
  on("", FormEvent::ContextMenu, &frmTestFTP::Form_ContextMenu, this);
  on("cmdOptions", FormEvent::Click, &frmTestFTP::cmdOptions_Click, this);
  // The user's search (click, or Enter in txtVersion, which stays enabled) never starts while an
  // operation runs; the operations themselves may still call cmdRechercher_Click.
  f.Connect("cmdRechercher", FormEvent::Click, [this](int) {
    if (busy_ == 0) cmdRechercher_Click();
  });
  on("cmdMettreAJour", FormEvent::Click, &frmTestFTP::cmdMettreAJour_Click, this);
  on("tmrMvt", FormEvent::Timer, &frmTestFTP::tmrMvt_Timer, this);
  on("mnuaide", FormEvent::Click, &frmTestFTP::mnuaide_Click, this);
  on("mnuShow", FormEvent::Click, &frmTestFTP::mnuShow_Click, this);
  on("mnuStop", FormEvent::Click, &frmTestFTP::mnuStop_Click, this);
  f.Connect("txtVersion", FormEvent::KeyPress, [this](int key) {
    if (busy_ == 0) txtVersion_KeyPress(key);
  });
}

frmTestFTP::~frmTestFTP() = default;

frmTestFTP::BusyScope::BusyScope(frmTestFTP& w) : w_(w) {
  ++w_.busy_;
  w_.EnableValider();
}

frmTestFTP::BusyScope::~BusyScope() {
  --w_.busy_;
  w_.EnableValider();
  if (w_.busy_ == 0 && w_.closeRequested_ && !w_.unloaded_) w_.DoUnload();
}

void frmTestFTP::EnableValider() {
  if (param_ && !param_->Closed()) (*param_)["cmdOK"].SetEnabled(busy_ == 0);
}

bool frmTestFTP::RechercheMaj() {
  BusyScope busy(*this);
  return quo::RechercheMaj(run_, *this);
}

bool frmTestFTP::ReadyToRun() {
  (*form_)["picVersion"].SetVisible(false);
  if (run_.MajDisponible) return true;
  UnloadMe();
  return false;
}

// Launched by the product: without a session the search comes first.
void frmTestFTP::LancerMaj() {
  BusyScope busy(*this);
  if (!run_.SessionFtp)
    cmdRechercher_Click();
  else if (ReadyToRun())
    quo::LancerMaj(run_, *this, app_.Traduire("Sortir"));
}

void frmTestFTP::cmdMettreAJour_Click() {
  if (unloaded_) return;
  BusyScope busy(*this);
  if (!run_.SessionFtp) {
    if (run_.Externe)
      cmdRechercher_Click();
    else
      UnloadMe();
  } else if (ReadyToRun()) {
    quo::LancerMaj(run_, *this, app_.Traduire("Sortir"));
  }
}

void frmTestFTP::Show() {
  form_->Show();
  Form_Activate();
}

void frmTestFTP::ShowPhase(const std::string& text) { (*form_)["lblPhase"].SetCaption(text); }
void frmTestFTP::RepaintPhase() { (*form_)["lblPhase"].Repaint(); }
void frmTestFTP::SetProgress(int percent) { (*form_)["prgPhase"].SetValue(percent); }
void frmTestFTP::ShowProgress(bool visible) { (*form_)["prgPhase"].SetVisible(visible); }
void frmTestFTP::SetActionCaption(const std::string& caption) {
  (*form_)["cmdMettreAJour"].SetCaption(caption);
}
void frmTestFTP::MoveDots(bool on) { (*form_)["tmrMvt"].SetEnabled(on); }

void frmTestFTP::EnableButton(RunButton button, bool enabled) {
  const char* name = button == RunButton::Options  ? "cmdOptions"
                     : button == RunButton::Search ? "cmdRechercher"
                                                   : "cmdMettreAJour";
  (*form_)[name].SetEnabled(enabled);
}

void frmTestFTP::RestoreAndShow() {
  form_->SetState(WindowState::Normal);
  form_->Show();
}

bool frmTestFTP::AskGoAhead(const std::string& text) {
  Windowing* win = app_.platform.windowing;
  return win != nullptr &&
         win->MessageBox(text, form_->Caption(), MsgButtons::OkCancel) == MsgResult::Ok;
}

void frmTestFTP::TraySetTip(const std::string& text) { quo::TraySetTip(*this, text); }

void frmTestFTP::Warn(const std::string& line) {
  std::fprintf(stderr, "QuoUpdate: %s\n", line.c_str());
}

frmParam& frmTestFTP::Param() {
  if (!param_ || param_->Closed()) {
    param_ = std::make_unique<frmParam>(app_, *this, forms_.Create("frmParam"));
    // A run given its language shows every dialog it builds in that language.
    if (run_.Langue != 0) TraduireForm(app_.translation, param_->View(), false);
    EnableValider();
  }
  return *param_;
}

void frmTestFTP::Form_Load() {
  LoadWidth = form_->Width();
  LoadHeight = form_->HeightTwips();
  trayIcon_ = TrayAdd(*this);
  (*form_)["prgPhase"].SetVisible(false);
  run_.MyDossier = DownloadDir(app_);
  app_.platform.files->MakeDirectory(run_.MyDossier);
}

void frmTestFTP::Form_Activate() {
  (*form_)["mnuShow"].SetCaption(
      app_.Traduire(form_->State() == WindowState::Normal ? "Cacher" : "Montrer"));
}

void frmTestFTP::Form_Resize() {
  if (form_->State() == WindowState::Normal) form_->Resize(LoadWidth, LoadHeight);
}

void frmTestFTP::TrayDoubleClick() {
  if (unloaded_) return;
  form_->Show();
  form_->SetState(WindowState::Normal);
}

void frmTestFTP::TrayContextMenu() {
  if (!unloaded_) form_->PopupMenu("mnuMain");
}

// Without an icon in the notification area its menu is reached from the window itself.
void frmTestFTP::Form_ContextMenu() {
  if (!trayIcon_) TrayContextMenu();
}

void frmTestFTP::mnuShow_Click() {
  if (form_->Visible() && form_->State() != WindowState::Minimized) {
    (*form_)["mnuShow"].SetCaption(app_.Traduire("Montrer"));
    form_->SetState(WindowState::Minimized);
    // Without an icon in the notification area a hidden window could never come back.
    if (trayIcon_) form_->Hide();
  } else {
    form_->Show();
    form_->SetState(WindowState::Normal);
    (*form_)["mnuShow"].SetCaption(app_.Traduire("Cacher"));
  }
}

void frmTestFTP::mnuaide_Click() {
  const std::string text = "Quorvanta Update V " + std::to_string(QUO_VERSION_MAJOR) + "." +
                           std::to_string(QUO_VERSION_MINOR) + "." +
                           std::to_string(QUO_VERSION_PATCH) + "\r\n" + run_.TextePhase;
  if (Windowing* w = app_.platform.windowing) w->MessageBox(text, "", MsgButtons::Ok);
}

void frmTestFTP::mnuStop_Click() { UnloadMe(); }

void frmTestFTP::UnloadMe() {
  if (unloaded_) return;
  if (busy_ > 0) {
    // Never tear the window down under a running operation: hide now, unload when it ends.
    closeRequested_ = true;
    form_->Hide();
    if (run_.SessionFtp) run_.SessionFtp->Abandon();
    return;
  }
  DoUnload();
}

void frmTestFTP::DoUnload() {
  Form_QueryUnload();
  Form_Unload();
  unloaded_ = true;
  form_->Close();
}

bool frmTestFTP::Form_QueryUnload() {
  if (run_.SessionFtp) {
    if (run_.SessionFtp->Connected()) run_.SessionFtp->Deconnect();
    run_.SessionFtp.reset();
  }
  TrayRemove(*this);
  trayIcon_ = false;
  return true;
}

void frmTestFTP::Form_Unload() {
  if (param_) {
    param_->cmdAnnuler_Click();
    param_.reset();
  }
}

void frmTestFTP::cmdOptions_Click() { Param().Show(); }

void frmTestFTP::cmdRechercher_Click() {
  if (unloaded_) return;
  if (VerifieVersion()) {
    run_.MyVersion = (*form_)["txtVersion"].Text();
    RechercheMaj();
  } else if (Windowing* w = app_.platform.windowing) {
    w->MessageBox(app_.Traduire("MauvaiseVersion"), "", MsgButtons::Ok);
  }
}

bool frmTestFTP::VerifieVersion() {
  Control& box = (*form_)["txtVersion"];
  const std::string text = box.Text();
  if (!IsVersionText(text)) return false;
  std::string out;  // each number written without its leading zeros
  for (const std::string& p : Split(text, '.'))
    out += (out.empty() ? "" : ".") + std::to_string(std::stol(p));
  box.SetText(out);
  return true;
}

void frmTestFTP::txtVersion_KeyPress(int keyCode) {
  if (keyCode == 13) cmdRechercher_Click();
}

void frmTestFTP::tmrMvt_Timer() {
  // One, two, four, eight dots, then one again.
  const std::size_t n = dots_.size();
  dots_.assign(n >= 1 && n < 8 ? 2 * n : 1, '.');
  (*form_)["lblPhase"].SetCaption(run_.TextePhase + dots_);
}

void frmTestFTP::PlayAnimation(const std::string& name) {
  Control& box = (*form_)["picAvi"];
  AnimationService* anim = app_.platform.animation;
  const std::string path = app_.programDir + "AVI/" + name + ".avi";
  const bool exists = app_.platform.files->IsOrdinaryFile(path);
  if (anim == nullptr) {
    box.SetVisible(false);
    return;
  }
  AviPlayer& player = anim->Player();
  player.SetTransparentColor(0xFF00FF);
  player.SetTransparent(true);
  player.SetCentre(true);
  if (player.Playing()) player.AVIStop();
  if (!exists) {
    box.SetVisible(false);
    return;
  }
  player.SetFileName(path);
  player.Load();
  player.AVIPlay();
  if (!box.Visible()) box.SetVisible(true);
  app_.Pause(500);
}

}  // namespace quo
