// MainWindow: the main window's logic. It shows an update run (the engine's UpdateRun) through the
// controls of a Form: it is the run's RunView, and its handlers start the search and the
// download-and-install run. The operations start-up calls are virtual so a test can watch them.
#pragma once

#include <memory>
#include <string>

#include "run/run_view.h"
#include "window/form.h"

namespace quo {

class AppContext;
class SettingsDialog;

class MainWindow : public RunView {
 public:
  MainWindow(UpdateRun& run, FormFactory& forms);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  int LoadWidth = 0, LoadHeight = 0;

  UpdateRun& Run() { return run_; }
  AppContext& App() { return app_; }
  Form& View() { return *form_; }
  Control& operator[](const std::string& name) { return (*form_)[name]; }

  // Operations other modules call. The search and the download-and-install run count as busy
  // (BusyScope) while they run.
  virtual bool SearchUpdates();
  virtual void RunUpdate();
  virtual void Show();  // shows the window, not modal
  bool CheckTypedVersion();

  // What the run shows (RunView), mapped to the window's controls.
  void ShowPhase(const std::string& text) override;
  void RepaintPhase() override;
  void SetProgress(int percent) override;
  void ShowProgress(bool visible) override;
  void EnableButton(RunButton button, bool enabled) override;
  void SetActionCaption(const std::string& caption) override;
  void MoveDots(bool on) override;
  void RestoreAndShow() override;
  bool AskGoAhead(const std::string& text) override;
  void TraySetTip(const std::string& text) override;
  void PlayAnimation(const std::string& name) override;
  void UnloadMe() override;
  bool CloseRequested() const override { return closeRequested_; }
  void Warn(const std::string& line) override;
  bool PhaseOnStandardError() const override { return phaseLogged_; }
  // The phase label's texts go to standard error (an unattended run).
  void SetPhaseLogged(bool logged) { phaseLogged_ = logged; }
  // The settings dialog (created, and its load logic run, on first use).
  SettingsDialog& OptionsDialog();

  // Event handlers.
  void OnLoad();
  void OnActivate();
  void OnResize();
  void TrayDoubleClick();
  void TrayContextMenu();
  void OnContextMenu();
  bool OnQueryUnload();
  void OnUnload();
  void OnOptionsClick();
  void OnSearchClick();
  void OnActionClick();
  void OnVersionKeyPress(int keyCode);
  void OnDotsTimer();
  void OnAboutClick();
  void OnShowHideClick();
  void OnStopClick();

  // A long operation (search, download, installation) is running: closing then hides the window
  // and lets the operation end at its next safe point before the window unloads.
  class BusyScope {
   public:
    explicit BusyScope(MainWindow& w);
    ~BusyScope();

   private:
    MainWindow& w_;
  };
  bool Unloaded() const { return unloaded_; }
  bool Busy() const { return busy_ > 0; }
  // True while the notification area shows the program's icon.
  bool HasTrayIcon() const { return trayIcon_; }

 private:
  void ConnectEvents();
  void DoUnload();
  // The steps both entry points of a run take first; false when there is nothing to run.
  bool ReadyToRun();
  // A run's folder, server and account are fixed while it runs: the settings dialog's
  // "Valider" is disabled meanwhile.
  void EnableDialogOk();

  UpdateRun& run_;
  AppContext& app_;
  FormFactory& forms_;
  std::unique_ptr<Form> form_;
  std::unique_ptr<SettingsDialog> optionsDialog_;
  std::string dots_;
  int busy_ = 0;
  bool trayIcon_ = false;
  bool closeRequested_ = false, unloaded_ = false, phaseLogged_ = false;
};

}  // namespace quo
