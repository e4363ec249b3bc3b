#include "window/main_window.h"

#include <cstdio>

#include "app/app_context.h"
#include "core/text.h"
#include "ftp/ftp_connection.h"
#include "install/target_dir.h"
#include "platform/animation.h"
#include "platform/files.h"
#include "platform/windowing.h"
#include "run/update_run.h"
#include "update/run_update.h"
#include "update/search_updates.h"
#include "window/settings_dialog.h"
#include "window/translate_form.h"
#include "window/tray_icon.h"

namespace quo {

MainWindow::MainWindow(UpdateRun& run, FormFactory& forms)
    : run_(run), app_(run.app), forms_(forms), form_(forms.Create("frmTestFTP")) {
  ConnectEvents();
}

void MainWindow::ConnectEvents() {
  Form& f = *form_;
  auto on = [&f](const char* control, FormEvent e, void (MainWindow::*fn)(), MainWindow* self) {
    f.Connect(control, e, [self, fn](int) { (self->*fn)(); });
  };
  on("", FormEvent::Activate, &MainWindow::OnActivate, this);
  on("", FormEvent::Resize, &MainWindow::OnResize, this);
  on("", FormEvent::CloseRequest, &MainWindow::UnloadMe, this);
  on("", FormEvent::ContextMenu, &MainWindow::OnContextMenu, this);
  on("cmdOptions", FormEvent::Click, &MainWindow::OnOptionsClick, this);
  // The user's search (click, or Enter in txtVersion, which stays enabled) never starts while an
  // operation runs; the operations themselves may still call OnSearchClick.
  f.Connect("cmdRechercher", FormEvent::Click, [this](int) {
    if (busy_ == 0) OnSearchClick();
  });
  on("cmdMettreAJour", FormEvent::Click, &MainWindow::OnActionClick, this);
  on("tmrMvt", FormEvent::Timer, &MainWindow::OnDotsTimer, this);
  on("mnuaide", FormEvent::Click, &MainWindow::OnAboutClick, this);
  on("mnuShow", FormEvent::Click, &MainWindow::OnShowHideClick, this);
  on("mnuStop", FormEvent::Click, &MainWindow::OnStopClick, this);
  f.Connect("txtVersion", FormEvent::KeyPress, [this](int key) {
    if (busy_ == 0) OnVersionKeyPress(key);
  });
}

MainWindow::~MainWindow() = default;

MainWindow::BusyScope::BusyScope(MainWindow& w) : w_(w) {
  ++w_.busy_;
  w_.EnableDialogOk();
}

MainWindow::BusyScope::~BusyScope() {
  --w_.busy_;
  w_.EnableDialogOk();
  if (w_.busy_ == 0 && w_.closeRequested_ && !w_.unloaded_) w_.DoUnload();
}

void MainWindow::EnableDialogOk() {
  if (optionsDialog_ && !optionsDialog_->Closed())
    (*optionsDialog_)["cmdOK"].SetEnabled(busy_ == 0);
}

bool MainWindow::SearchUpdates() {
  BusyScope busy(*this);
  return quo::SearchUpdates(run_, *this);
}

bool MainWindow::ReadyToRun() {
  (*form_)["picVersion"].SetVisible(false);
  if (run_.updateAvailable) return true;
  UnloadMe();
  return false;
}

// Launched by the product: without a session the search comes first.
void MainWindow::RunUpdate() {
  BusyScope busy(*this);
  if (!run_.ftpConnection)
    OnSearchClick();
  else if (ReadyToRun())
    quo::RunUpdate(run_, *this, app_.Translate("Sortir"));
}

void MainWindow::OnActionClick() {
  if (unloaded_) return;
  BusyScope busy(*this);
  if (!run_.ftpConnection) {
    if (run_.launchedByProduct)
      OnSearchClick();
    else
      UnloadMe();
  } else if (ReadyToRun()) {
    quo::RunUpdate(run_, *this, app_.Translate("Sortir"));
  }
}

void MainWindow::Show() {
  form_->Show();
  OnActivate();
}

void MainWindow::ShowPhase(const std::string& text) { (*form_)["lblPhase"].SetCaption(text); }
void MainWindow::RepaintPhase() { (*form_)["lblPhase"].Repaint(); }
void MainWindow::SetProgress(int percent) { (*form_)["prgPhase"].SetValue(percent); }
void MainWindow::ShowProgress(bool visible) { (*form_)["prgPhase"].SetVisible(visible); }
void MainWindow::SetActionCaption(const std::string& caption) {
  (*form_)["cmdMettreAJour"].SetCaption(caption);
}
void MainWindow::MoveDots(bool on) { (*form_)["tmrMvt"].SetEnabled(on); }

void MainWindow::EnableButton(RunButton button, bool enabled) {
  const char* name = button == RunButton::Options  ? "cmdOptions"
                     : button == RunButton::Search ? "cmdRechercher"
                                                   : "cmdMettreAJour";
  (*form_)[name].SetEnabled(enabled);
}

void MainWindow::RestoreAndShow() {
  form_->SetState(WindowState::Normal);
  form_->Show();
}

bool MainWindow::AskGoAhead(const std::string& text) {
  Windowing* win = app_.platform.windowing;
  return win != nullptr &&
         win->MessageBox(text, form_->Caption(), MsgButtons::OkCancel) == MsgResult::Ok;
}

void MainWindow::TraySetTip(const std::string& text) { quo::TraySetTip(*this, text); }

void MainWindow::Warn(const std::string& line) {
  std::fprintf(stderr, "QuoUpdate: %s\n", line.c_str());
}

SettingsDialog& MainWindow::OptionsDialog() {
  if (!optionsDialog_ || optionsDialog_->Closed()) {
    optionsDialog_ = std::make_unique<SettingsDialog>(app_, *this, forms_.Create("frmParam"));
    // A run given its language shows every dialog it builds in that language.
    if (run_.language != 0) TranslateForm(app_.translation, optionsDialog_->View(), false);
    EnableDialogOk();
  }
  return *optionsDialog_;
}

void MainWindow::OnLoad() {
  LoadWidth = form_->Width();
  LoadHeight = form_->HeightTwips();
  trayIcon_ = TrayAdd(*this);
  (*form_)["prgPhase"].SetVisible(false);
  run_.downloadDir = DownloadDir(app_);
  app_.platform.files->MakeDirectory(run_.downloadDir);
}

void MainWindow::OnActivate() {
  (*form_)["mnuShow"].SetCaption(
      app_.Translate(form_->State() == WindowState::Normal ? "Cacher" : "Montrer"));
}

void MainWindow::OnResize() {
  if (form_->State() == WindowState::Normal) form_->Resize(LoadWidth, LoadHeight);
}

void MainWindow::TrayDoubleClick() {
  if (unloaded_) return;
  form_->Show();
  form_->SetState(WindowState::Normal);
}

void MainWindow::TrayContextMenu() {
  if (!unloaded_) form_->PopupMenu("mnuMain");
}

// Without an icon in the notification area its menu is reached from the window itself.
void MainWindow::OnContextMenu() {
  if (!trayIcon_) TrayContextMenu();
}

void MainWindow::OnShowHideClick() {
  if (form_->Visible() && form_->State() != WindowState::Minimized) {
    (*form_)["mnuShow"].SetCaption(app_.Translate("Montrer"));
    form_->SetState(WindowState::Minimized);
    // Without an icon in the notification area a hidden window could never come back.
    if (trayIcon_) form_->Hide();
  } else {
    form_->Show();
    form_->SetState(WindowState::Normal);
    (*form_)["mnuShow"].SetCaption(app_.Translate("Cacher"));
  }
}

void MainWindow::OnAboutClick() {
  const std::string text = "Quorvanta Update V " + std::to_string(QUO_VERSION_MAJOR) + "." +
                           std::to_string(QUO_VERSION_MINOR) + "." +
                           std::to_string(QUO_VERSION_PATCH) + "\r\n" + run_.phaseText;
  if (Windowing* w = app_.platform.windowing) w->MessageBox(text, "", MsgButtons::Ok);
}

void MainWindow::OnStopClick() { UnloadMe(); }

void MainWindow::UnloadMe() {
  if (unloaded_) return;
  if (busy_ > 0) {
    // Never tear the window down under a running operation: hide now, unload when it ends.
    closeRequested_ = true;
    form_->Hide();
    if (run_.ftpConnection) run_.ftpConnection->Abandon();
    return;
  }
  DoUnload();
}

void MainWindow::DoUnload() {
  OnQueryUnload();
  OnUnload();
  unloaded_ = true;
  form_->Close();
}

bool MainWindow::OnQueryUnload() {
  if (run_.ftpConnection) {
    if (run_.ftpConnection->Connected()) run_.ftpConnection->Disconnect();
    run_.ftpConnection.reset();
  }
  TrayRemove(*this);
  trayIcon_ = false;
  return true;
}

void MainWindow::OnUnload() {
  if (optionsDialog_) {
    optionsDialog_->OnCancelClick();
    optionsDialog_.reset();
  }
}

void MainWindow::OnOptionsClick() { OptionsDialog().Show(); }

void MainWindow::OnSearchClick() {
  if (unloaded_) return;
  if (CheckTypedVersion()) {
    run_.installedVersion = (*form_)["txtVersion"].Text();
    SearchUpdates();
  } else if (Windowing* w = app_.platform.windowing) {
    w->MessageBox(app_.Translate("MauvaiseVersion"), "", MsgButtons::Ok);
  }
}

bool MainWindow::CheckTypedVersion() {
  Control& box = (*form_)["txtVersion"];
  const std::string text = box.Text();
  if (!IsVersionText(text)) return false;
  std::string out;  // each number written without its leading zeros
  for (const std::string& p : Split(text, '.'))
    out += (out.empty() ? "" : ".") + std::to_string(std::stol(p));
  box.SetText(out);
  return true;
}

void MainWindow::OnVersionKeyPress(int keyCode) {
  if (keyCode == 13) OnSearchClick();
}

void MainWindow::OnDotsTimer() {
  // One, two, four, eight dots, then one again.
  const std::size_t n = dots_.size();
  dots_.assign(n >= 1 && n < 8 ? 2 * n : 1, '.');
  (*form_)["lblPhase"].SetCaption(run_.phaseText + dots_);
}

void MainWindow::PlayAnimation(const std::string& name) {
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
  // Half a second of the animation, events running, before the operation it announces may hold
  // the thread: the person sees it move.
  app_.Pause(500);
}

}  // namespace quo
