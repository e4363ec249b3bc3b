// A program folder with the main window over the real Qt views (offscreen), the logic's long
// operations scripted (WatchedWindow), and the message boxes recorded. The message pump of the
// operations runs the real Qt events.
#pragma once

#include <QCoreApplication>
#include <QWidget>
#include <memory>

#include "startup/launch.h"
#include "support/test_platform.h"
#include "support/watched_window.h"
#include "ui/qt/qt_form.h"
#include "ui/startup_window.h"

namespace quo::test {

struct QtWindowFixture {
  QtWindowFixture() {
    t.windowing.onPump = [] { QCoreApplication::processEvents(); };
    t.WriteLanguage(1036, {{"_", "Cacher", "Cacher"},
                           {"_", "Montrer", "Montrer"},
                           {"_", "Miseàjourdésactivé", "Désactivée"}});
  }

  // Builds the window and runs the start-up sequence for the command line.
  WatchedWindow& Start(const std::vector<std::string>& args = {}) {
    w = std::make_unique<WatchedWindow>(*t.app, forms);
    const LaunchPlan plan = PlanLaunch(*t.app, args);
    RunWindowStartup(*w, plan);
    return *w;
  }

  QtForm& View() const { return static_cast<QtForm&>(w->View()); }
  template <class T>
  T* Get(const std::string& name) const {
    return View().Get<T>(name);
  }

  TestApp t;
  QtFormFactory forms;
  std::unique_ptr<WatchedWindow> w;
};

}  // namespace quo::test
