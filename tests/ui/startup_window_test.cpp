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

struct Started {
  explicit Started(const std::vector<std::string>& args, bool found = false,
                   const std::string& settings = "[temps]\r\nfrequence=1\r\n",
                   const std::function<void(test::WatchedWindow&)>& setup = {}) {
    test::WriteFile(t.settingsPath(), settings);
    t.WriteLanguage(1036, {{"_", "Aucunenouvelemiseàjourdedisponible", "Aucune mise à jour"},
                           {"_", "Denouvellesmisesàjoursontdisponibles", "Mises à jour"},
                           {"_", "Cacher", "Cacher"}});
    t.WriteLanguage(1033, {{"frmTestFTP", "frmTestFTP", "Quorvanta Updater"},
                           {"_", "Denouvellesmisesàjoursontdisponibles", "Updates available"}});
    w = std::make_unique<test::WatchedWindow>(*t.app, forms);
    w->found = found;
    if (setup) setup(*w);
    plan = PlanLaunch(*t.app, args);
    if (plan.proceed) RunWindowStartup(*w, plan);
  }
  std::string Phase() const { return (*w)["lblPhase"].Caption(); }

  test::TestApp t;
  MemoryFormFactory forms;
  std::unique_ptr<test::WatchedWindow> w;
  LaunchPlan plan;
};

TEST(StartupWindow, InteractiveShowsTheWindowAndSearchesNothing) {
  Started s({});
  EXPECT_TRUE(s.w->View().Visible());
  EXPECT_EQ(s.w->searches, 0);
  EXPECT_EQ((*s.w)["mnuShow"].Caption(), "Cacher");  // French loaded
  EXPECT_EQ(s.w->MyDossier, s.t.dir / "Download/");
  EXPECT_TRUE(test::Exists(s.t.dir / "Download"));
  EXPECT_FALSE(s.w->Finished());  // a person drives an interactive run
}

TEST(StartupWindow, LaunchedWithACheckDueSearchesAndInstallsWhatItFinds) {
  Started s({"2.1.0", "/opt/q/"}, true);
  EXPECT_EQ(s.w->searches, 1);
  EXPECT_EQ(s.w->runs, 1);
  EXPECT_EQ(s.w->MyInstallationDest, "/opt/q/");
  EXPECT_FALSE((*s.w)["picVersion"].Visible());
  EXPECT_TRUE(s.w->Finished());
  EXPECT_TRUE(s.w->Succeeded());
}

TEST(StartupWindow, TheOutcomeOfALaunchedRun) {
  Started f({"2.1.0", "/opt/q/"}, false);
  EXPECT_EQ(f.w->runs, 0);
  EXPECT_EQ(f.Phase(), "Aucune mise à jour");  // no language given: French
  EXPECT_TRUE(f.w->Succeeded());

  Started failed({"2.1.0", "/opt/q/"}, true, "[temps]\r\nfrequence=2\r\n",
                 [](test::WatchedWindow& w) {
                   w.inRun = [p = &w] { p->ErrorText += "\r\nCopie impossible"; };
                 });
  EXPECT_TRUE(failed.w->Finished());
  EXPECT_FALSE(failed.w->Succeeded());
}

TEST(StartupWindow, ForcedLeavesTheInstallationToTheUser) {
  Started found({"2.1.0/C:\\Prod/1033/1"}, true, "");
  EXPECT_EQ(found.w->searches, 1);
  EXPECT_EQ(found.w->runs, 0);
  EXPECT_FALSE(found.w->Externe);
  EXPECT_EQ(found.Phase(), "Updates available");
  EXPECT_EQ(found.w->View().Caption(), "Quorvanta Updater");
  EXPECT_EQ((*found.w)["txtVersion"].Text(), "2.1.0");

  Started none({"2.1.0/C:\\Prod/1036/1"}, false, "");
  EXPECT_EQ(none.Phase(), "Aucune mise à jour");
  EXPECT_TRUE(none.w->Finished());
  EXPECT_TRUE(none.w->Succeeded());
}

TEST(StartupWindow, APhaseWrittenByTheSearchIsKept) {
  Started s({"2.1.0/C:\\Prod/1036/1"}, false, "", [](test::WatchedWindow& w) {
    w.inSearch = [p = &w] { p->SetPhase("Connexion impossible"); };
  });
  EXPECT_EQ(s.Phase(), "Connexion impossible");
}

TEST(StartupWindow, ABadCommandLineShowsTheWindowWithFrenchTexts) {
  Started s({"/C:\\Prod"});
  EXPECT_EQ(s.plan.mode, LaunchMode::BadCommandLine);
  EXPECT_TRUE(s.w->View().Visible());
  EXPECT_EQ(s.w->searches, 0);
  EXPECT_EQ(s.t.app->translation.LangueCourante, 1036);
}

TEST(StartupWindow, NoCheckDueNeverCreatesTheWindowRun) {
  Started s({"2.1.0", "/opt/q/"}, true, "[temps]\r\nfrequence=0\r\n");
  EXPECT_FALSE(s.plan.proceed);
  EXPECT_EQ(s.w->searches, 0);
  EXPECT_FALSE(test::Exists(s.t.dir / "Download"));
}

TEST(StartupWindow, ClosingDuringTheSearchEndsTheRunThere) {
  bool hidden = false;
  Started s({"2.1.0", "/opt/q/"}, true, "[temps]\r\nfrequence=1\r\n", [&](test::WatchedWindow& w) {
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
