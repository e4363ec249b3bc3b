// A RunView with no window: it records what the run shows, answers the go-ahead question with
// goAhead, and closes a runaway run after 100 000 steps.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "run/run_view.h"

namespace quo::test {

class RecordingView : public RunView {
 public:
  std::vector<std::string> phases, tips, animations, questions, warnings;
  std::vector<int> progress;
  std::map<RunButton, bool> enabled;
  std::string action;  // the action button's caption
  bool progressShown = false, dots = false, restored = false, unloaded = false, closed = false;
  bool goAhead = true;

  std::string Phase() const { return phases.empty() ? "" : phases.back(); }

  void ShowPhase(const std::string& text) override { phases.push_back(text); }
  void RepaintPhase() override {}
  void SetProgress(int percent) override {
    progress.push_back(percent);
    if (progress.size() >= 100000) closed = true;
  }
  void ShowProgress(bool visible) override { progressShown = visible; }
  void EnableButton(RunButton button, bool on) override { enabled[button] = on; }
  void SetActionCaption(const std::string& caption) override { action = caption; }
  void MoveDots(bool on) override { dots = on; }
  void RestoreAndShow() override { restored = true; }
  bool AskGoAhead(const std::string& text) override {
    questions.push_back(text);
    return goAhead;
  }
  void TraySetTip(const std::string& text) override { tips.push_back(text); }
  void PlayAnimation(const std::string& name) override { animations.push_back(name); }
  void UnloadMe() override { unloaded = true; }
  bool CloseRequested() const override { return closed; }
  void Warn(const std::string& line) override { warnings.push_back(line); }
  bool PhaseOnStandardError() const override { return false; }
};

}  // namespace quo::test
