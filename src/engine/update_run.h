// UpdateRun: the state of one update run, shared by the search, the download and the
// installation whatever window (or none) shows them. The window reads and sets it; the engine
// works on it and tells the window what to show through a RunView.
#pragma once

#include <memory>
#include <string>

#include "ftp/sck_ftp.h"

namespace quo {

class AppContext;

struct UpdateRun {
  explicit UpdateRun(AppContext& context) : app(context) {}

  AppContext& app;

  // The version installed, the download folders (with a trailing "/"), the product folder,
  // the server, its account and its update directory.
  std::string MyVersion, MyDossier, MyDossierCompresse, MyInstallationDest, MyAdresse, MyMotPasse,
      MyUser, MyRepertoireFTP;
  int Langue = 0;
  bool Externe = false;  // launched by the product: the run goes on by itself

  std::unique_ptr<SckFtp> SessionFtp;  // from the search on; the download uses it
  std::string TextePhase;              // the phase shown, without the moving dots
  float Progression = 0;               // 0 to 1
  std::string ErrorText;               // one error per line, each after CR LF
  bool MajDisponible = false;

  // The outcome: the run has reached its end (nothing left to do unattended), and whether it
  // succeeded.
  bool Finished() const { return finished_; }
  bool Succeeded() const { return succeeded_; }
  void SetOutcome(bool finished, bool succeeded) { finished_ = finished, succeeded_ = succeeded; }

 private:
  bool finished_ = false, succeeded_ = false;
};

}  // namespace quo
