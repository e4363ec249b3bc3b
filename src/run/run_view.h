// RunView: what the search, the download and the installation need of a window. The main
// window implements it over its controls; a test records the calls.
#pragma once

#include <string>

#include "run/update_run.h"

namespace quo {

// The window's buttons, by their role.
enum class RunButton {
  Options,  // opens the settings
  Search,   // searches again
  Action,   // updates, then exits
};

class RunView {
 public:
  virtual ~RunView() = default;

  // The phase label: its text, and painting it now (without waiting for the event loop).
  virtual void ShowPhase(const std::string& text) = 0;
  virtual void RepaintPhase() = 0;
  // The progress bar: its value (0 to 100) and whether it shows.
  virtual void SetProgress(int percent) = 0;
  virtual void ShowProgress(bool visible) = 0;
  virtual void EnableButton(RunButton button, bool enabled) = 0;
  virtual void SetActionCaption(const std::string& caption) = 0;
  // The dots that move after the phase text while something runs.
  virtual void MoveDots(bool on) = 0;
  // Brings the window back to its normal size and shows it.
  virtual void RestoreAndShow() = 0;
  // Asks whether the installation may begin (OK / Cancel); true for OK.
  virtual bool AskGoAhead(const std::string& text) = 0;
  // The notification area's tooltip.
  virtual void TraySetTip(const std::string& text) = 0;
  // Plays the named busy animation; "" stops it.
  virtual void PlayAnimation(const std::string& name) = 0;
  // Closes the window (once the running operation has ended).
  virtual void UnloadMe() = 0;
  // The user asked to close the window: the run stops at its next safe point.
  virtual bool CloseRequested() const = 0;
  // Tells a line on standard error, for whoever started the program.
  virtual void Warn(const std::string& line) = 0;
  // The phase texts go to standard error as they are shown (an unattended run).
  virtual bool PhaseOnStandardError() const = 0;
};

// Sets the run's phase text and shows it at once.
inline void SetPhase(UpdateRun& run, RunView& view, const std::string& text) {
  run.phaseText = text;
  view.ShowPhase(text);
  view.RepaintPhase();
}

}  // namespace quo
