// frmTestFTP: the main window's logic and the run's shared state. It drives its view through the
// controls of a Form; the search, download and installation (update/ and install/) work on this
// state. The operations start-up calls are virtual so a test can watch them.
#pragma once

#include <memory>
#include <string>

#include "ui/form.h"

namespace quo {

class AppContext;
class SckFtp;
class frmParam;

class frmTestFTP {
 public:
  frmTestFTP(AppContext& app, FormFactory& forms);
  virtual ~frmTestFTP();
  frmTestFTP(const frmTestFTP&) = delete;
  frmTestFTP& operator=(const frmTestFTP&) = delete;

  // Public variables.
  std::string MyVersion, MyDossier, MyDossierCompresse, MyInstallationDest, MyAdresse, MyMotPasse,
      MyUser, MyRepertoireFTP;
  int Langue = 0;
  bool Externe = false;

  // Fields the search, download and installation share with the window.
  std::unique_ptr<SckFtp> SessionFtp;
  std::string TextePhase;
  float Progression = 0;
  std::string ErrorText;
  bool MajDisponible = false;
  int LoadWidth = 0, LoadHeight = 0;

  AppContext& App() { return app_; }
  Form& View() { return *form_; }
  Control& operator[](const std::string& name) { return (*form_)[name]; }

  // Operations other modules call. The search, the download-and-install run and the
  // installation count as busy (BusyScope) while they run.
  virtual bool RechercheMaj(bool Force = false);
  virtual void LancerMaj(bool Force = false);
  virtual void Install(int NbFichier, std::string& nomIni);
  virtual void UnloadMe();
  virtual void PlayAnimation(const std::string& name);
  virtual void Show();  // shows the window, not modal
  bool VerifieVersion();
  // Sets TextePhase, shows it in lblPhase and repaints the label.
  void SetPhase(const std::string& text);
  // Sets the notification tooltip.
  void TraySetTip(const std::string& text);
  // The settings dialog (created, and its load logic run, on first use).
  frmParam& Param();

  // Event handlers.
  void Form_Load();
  void Form_Activate();
  void Form_Resize();
  void TrayDoubleClick();
  void TrayContextMenu();
  bool Form_QueryUnload();
  void Form_Unload();
  void cmdOptions_Click();
  void cmdRechercher_Click();
  void cmdMettreAJour_Click();
  void txtVersion_KeyPress(int keyCode);
  void tmrMvt_Timer();
  void mnuaide_Click();
  void mnuShow_Click();
  void mnuStop_Click();

  // A long operation (search, download, installation) is running: closing then hides the window
  // and lets the operation end at its next safe point before the window unloads.
  class BusyScope {
   public:
    explicit BusyScope(frmTestFTP& w);
    ~BusyScope();

   private:
    frmTestFTP& w_;
  };
  bool CloseRequested() const { return closeRequested_; }
  bool Unloaded() const { return unloaded_; }
  // True once the run reached its end in an unattended run (nothing left to do).
  bool Finished() const { return finished_; }
  bool Succeeded() const { return succeeded_; }
  void SetOutcome(bool finished, bool succeeded) { finished_ = finished, succeeded_ = succeeded; }
  bool Busy() const { return busy_ > 0; }
  // True while the notification area shows the program's icon.
  bool HasTrayIcon() const { return trayIcon_; }

 private:
  void ConnectEvents();
  void DoUnload();

  AppContext& app_;
  FormFactory& forms_;
  std::unique_ptr<Form> form_;
  std::unique_ptr<frmParam> param_;
  std::string dots_;
  int busy_ = 0;
  bool trayIcon_ = false;
  bool closeRequested_ = false, unloaded_ = false, finished_ = false, succeeded_ = false;
};

}  // namespace quo
