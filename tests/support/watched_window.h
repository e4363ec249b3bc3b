// The main window with its long operations replaced by scripted ones, so a test can see the
// calls start-up and the handlers make, and act while an operation runs (each scripted
// operation counts as busy, as the real ones do). It owns the run it shows.
#pragma once

#include <functional>

#include "engine/update_run.h"
#include "ui/frm_test_ftp.h"

namespace quo::test {

struct OwnedRun {
  explicit OwnedRun(AppContext& app) : run(app) {}
  UpdateRun run;
};

class WatchedWindow : private OwnedRun, public frmTestFTP {
 public:
  WatchedWindow(AppContext& app, FormFactory& forms) : OwnedRun(app), frmTestFTP(run, forms) {}

  int searches = 0, runs = 0;
  bool found = false;              // what the search answers
  std::function<void()> inSearch;  // runs inside RechercheMaj
  std::function<void()> inRun;     // runs inside LancerMaj

  bool RechercheMaj(bool) override {
    BusyScope busy(*this);
    ++searches;
    if (inSearch) inSearch();
    run.MajDisponible = found;
    return found;
  }
  void LancerMaj(bool) override {
    BusyScope busy(*this);
    ++runs;
    if (inRun) inRun();
  }
};

}  // namespace quo::test
