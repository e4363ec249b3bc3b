// A RunView with no window: it records what the run shows, answers the go-ahead question with
// the answers a test queues (OK when none), and is closed once the progress reaches
// closeAtProgress, or after 100 000 steps (a runaway run): as the window does, it then reports
// the close request and abandons the run's transfer.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "engine/run_view.h"
#include "engine/update_run.h"
#include "ftp/sck_ftp.h"

namespace quo::test {

class RecordingView : public RunView {
 public:
  std::vector<std::string> phases, tips, animations, questions;
  std::vector<int> progress;
  std::map<RunButton, bool> enabled;
  std::string action;  // the action button's caption
  bool progressShown = false, dots = false, restored = false, unloaded = false, closed = false;
  int closeAtProgress = -1;
  std::deque<bool> answers;
  UpdateRun* run = nullptr;  // the run whose transfer a close abandons

  std::string Phase() const { return phases.empty() ? "" : phases.back(); }

  void ShowPhase(const std::string& text) override { phases.push_back(text); }
  void RepaintPhase() override {}
  void SetProgress(int percent) override {
    progress.push_back(percent);
    if (percent != closeAtProgress && progress.size() < 100000) return;
    closed = true;
    if (run != nullptr && run->SessionFtp) run->SessionFtp->Abandon();
  }
  void ShowProgress(bool visible) override { progressShown = visible; }
  void EnableButton(RunButton button, bool on) override { enabled[button] = on; }
  void SetActionCaption(const std::string& caption) override { action = caption; }
  void MoveDots(bool on) override { dots = on; }
  void RestoreAndShow() override { restored = true; }
  bool AskGoAhead(const std::string& text) override {
    questions.push_back(text);
    const bool answer = answers.empty() || answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  void TraySetTip(const std::string& text) override { tips.push_back(text); }
  void PlayAnimation(const std::string& name) override { animations.push_back(name); }
  void UnloadMe() override { unloaded = true; }
  bool CloseRequested() const override { return closed; }
};

}  // namespace quo::test
