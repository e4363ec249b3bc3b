// The main window with its long operations replaced by scripted ones, so a test can see the
// calls start-up and the handlers make, and act while an operation runs (each scripted
// operation counts as busy, as the real ones do).
#pragma once

#include <functional>

#include "window/main_window.h"

namespace quo::test {

class WatchedWindow : public MainWindow {
 public:
  using MainWindow::MainWindow;

  int searches = 0, runs = 0;
  bool found = false;                     // what the search answers
  std::function<void()> inSearch, inRun;  // run inside SearchUpdates, RunUpdate

  bool SearchUpdates() override {
    BusyScope busy(*this);
    ++searches;
    if (inSearch) inSearch();
    Run().updateAvailable = found;
    return found;
  }
  void RunUpdate() override {
    BusyScope busy(*this);
    ++runs;
    if (inRun) inRun();
  }
};

}  // namespace quo::test
