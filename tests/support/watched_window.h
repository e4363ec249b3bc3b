// The main window with its long operations replaced by scripted ones, so a test can see the
// calls start-up and the handlers make, and act while an operation runs (each scripted
// operation counts as busy, as the real ones do).
#pragma once

#include <functional>

#include "window/frm_test_ftp.h"

namespace quo::test {

class WatchedWindow : public frmTestFTP {
 public:
  using frmTestFTP::frmTestFTP;

  int searches = 0, runs = 0;
  bool found = false;                     // what the search answers
  std::function<void()> inSearch, inRun;  // run inside RechercheMaj, LancerMaj

  bool RechercheMaj() override {
    BusyScope busy(*this);
    ++searches;
    if (inSearch) inSearch();
    Run().MajDisponible = found;
    return found;
  }
  void LancerMaj() override {
    BusyScope busy(*this);
    ++runs;
    if (inRun) inRun();
  }
};

}  // namespace quo::test
