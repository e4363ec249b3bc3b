// The start-up sequence from the window on, over the in-memory form: the three ways of
// running and a bad command line, with the search and the run watched.
#include "ui/startup_window.h"

#include <gtest/gtest.h>

#include <functional>

#include "startup/launch.h"
#include "support/test_platform.h"
#include "support/watched_window.h"

namespace quo {
namespace {

constexpr const char* kDue = "[temps]\r\nfrequence=1\r\n";
using Script = std::function<void(test::WatchedWindow&)>;

struct Started {
  explicit Started(const std::vector<std::string>& args, bool found = false,
                   const std::string& settings = kDue, const Script& script = {}) {
    test::WriteFile(t.settingsPath(), settings);
    t.WriteLanguage(1036, {{"_", "Aucunenouvelemiseàjourdedisponible", "Aucune mise à jour"},
                           {"_", "Cacher", "Cacher"}});
    t.WriteLanguage(1033, {{"frmTestFTP", "frmTestFTP", "Quorvanta Updater"},
                           {"_", "Denouvellesmisesàjoursontdisponibles", "Updates available"}});
    w = std::make_unique<test::WatchedWindow>(*t.app, forms);
    w->found = found;
    if (script) script(*w);
    const LaunchPlan plan = PlanLaunch(*t.app, args);
    if (plan.proceed) RunWindowStartup(*w, plan);
  }
  std::string Phase() const { return (*w)["lblPhase"].Caption(); }

  test::TestApp t;
  MemoryFormFactory forms;
  std::unique_ptr<test::WatchedWindow> w;
};

TEST(StartupWindow, EachWayOfRunningShowsTheWindowAndEndsAsItShould) {
  const Script runFails = [](test::WatchedWindow& w) {
    w.inRun = [p = &w] { p->ErrorText += "\r\nCopie impossible"; };
  };
  const Script searchPhase = [](test::WatchedWindow& w) {
    w.inSearch = [p = &w] { p->SetPhase("Connexion impossible"); };
  };
  const struct {
    std::vector<std::string> args;
    bool found;
    const char* settings;
    Script script;
    int searches, runs;
    bool finished, succeeded;
    const char* phase;
  } cases[] = {
      // A person drives an interactive run, and one with a bad command line.
      {{}, true, kDue, {}, 0, 0, false, false, ""},
      {{"/C:\\Prod"}, true, kDue, {}, 0, 0, false, false, ""},
      // Launched with a check due: installs what it finds; no language given: French.
      {{"2.1.0", "/opt/q/"}, true, kDue, {}, 1, 1, true, true, ""},
      {{"2.1.0", "/opt/q/"}, true, kDue, runFails, 1, 1, true, false, ""},
      {{"2.1.0", "/opt/q/"}, false, kDue, {}, 1, 0, true, true, "Aucune mise à jour"},
      // Forced, with no schedule at all: the installation is left to the user.
      {{"2.1.0/C:\\Prod/1033/1"}, true, "", {}, 1, 0, true, true, "Updates available"},
      {{"2.1.0/C:\\Prod/1036/1"}, false, "", {}, 1, 0, true, true, "Aucune mise à jour"},
      {{"2.1.0/C:\\Prod/1036/1"}, false, "", searchPhase, 1, 0, true, true, "Connexion impossible"},
  };
  for (const auto& c : cases) {
    Started s(c.args, c.found, c.settings, c.script);
    SCOPED_TRACE((c.args.empty() ? "" : c.args[0]) + (c.script ? " (scripted)" : ""));
    EXPECT_TRUE(s.w->View().Visible());
    EXPECT_EQ(s.w->searches, c.searches);
    EXPECT_EQ(s.w->runs, c.runs);
    EXPECT_EQ(s.w->Finished(), c.finished);
    EXPECT_EQ(s.w->Succeeded(), c.succeeded);
    EXPECT_EQ(s.Phase(), c.phase);
  }
}

TEST(StartupWindow, WhatEachWayOfRunningSetsUp) {
  Started interactive({});
  EXPECT_EQ((*interactive.w)["mnuShow"].Caption(), "Cacher");  // French loaded
  EXPECT_EQ(interactive.w->MyDossier, interactive.t.dir / "Download/");
  EXPECT_TRUE(test::Exists(interactive.t.dir / "Download"));

  Started launched({"2.1.0", "/opt/q/"});
  EXPECT_EQ(launched.w->MyInstallationDest, "/opt/q/");
  EXPECT_FALSE((*launched.w)["picVersion"].Visible());

  Started forced({"2.1.0/C:\\Prod/1033/1"}, false, "");
  EXPECT_EQ(forced.w->View().Caption(), "Quorvanta Updater");
  EXPECT_EQ((*forced.w)["txtVersion"].Text(), "2.1.0");
}

TEST(StartupWindow, ClosingDuringTheSearchEndsTheRunThere) {
  bool hidden = false;
  Started s({"2.1.0", "/opt/q/"}, true, kDue, [&](test::WatchedWindow& w) {
    w.inSearch = [&hidden, p = &w] {
      p->View().Raise("", FormEvent::CloseRequest);  // the close box
      hidden = !p->View().Visible() && !p->Unloaded();
    };
  });
  EXPECT_TRUE(hidden);
  EXPECT_TRUE(s.w->Unloaded());
  EXPECT_EQ(s.w->runs, 0);  // the installation never starts after a close
}

}  // namespace
}  // namespace quo
