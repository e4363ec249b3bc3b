// UpdateRun: the state of one update run, shared by the search, the download and the
// installation whatever window (or none) shows them. The window reads and sets it; the engine
// works on it and tells the window what to show through a RunView.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ftp/ftp_connection.h"

namespace quo {

class AppContext;

// How a run ended. An unattended run exits with the status of its outcome.
enum class RunOutcome {
  Running,      // not at its end yet (a window closed now ends the run before its installation)
  Installed,    // the installation ran to its end without error
  NothingToDo,  // no update, or the installed version is already newer
  Failed,       // the search, the download or the installation failed
  Refused,      // bad input: a version or an installation folder the run cannot use
  Cancelled,    // the go-ahead was refused, or the window closed before the installation
};

// The exit status of an outcome (app/exit_status.h); a run not at its end counts as cancelled.
int ExitStatus(RunOutcome outcome);

struct UpdateRun {
  explicit UpdateRun(AppContext& context) : app(context) {}

  AppContext& app;

  // The version installed, the download folders (with a trailing "/"), the product folder,
  // the server, its account and its update directory.
  std::string installedVersion, downloadDir, archiveDir, installDir, serverAddress, serverPassword,
      serverUser, serverDir;
  int language = 0;
  bool launchedByProduct = false;  // launched by the product: the run goes on by itself

  std::unique_ptr<FtpConnection> ftpConnection;  // from the search on; the download uses it
  std::string phaseText;                         // the phase shown, without the moving dots
  float progress = 0;                            // 0 to 1
  std::string errorText;                         // one error per line, each after CR LF
  bool updateAvailable = false;
  // The publisher's public keys the run trusts (raw bytes); none: updates are not verified.
  std::vector<std::string> trustedKeys;
  bool updateVerified = false;    // the update found was signed by one of them
  bool warnedUnverified = false;  // standard error was told that updates are not verified
  // Components installed whose registration this system cannot do (dll and ocx off Windows).
  std::vector<std::string> componentsNotRegistered;

  RunOutcome Outcome() const { return outcome_; }
  // The run has reached its end: nothing is left to do unattended.
  bool Finished() const { return outcome_ != RunOutcome::Running; }
  bool Succeeded() const {
    return outcome_ == RunOutcome::Installed || outcome_ == RunOutcome::NothingToDo;
  }
  void End(RunOutcome outcome) { outcome_ = outcome; }

 private:
  RunOutcome outcome_ = RunOutcome::Running;
};

}  // namespace quo
