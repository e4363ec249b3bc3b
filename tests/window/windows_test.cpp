// The logic of both windows over the in-memory form: the version check and the search it starts,
// the dots and the about box; what the settings dialog loads, stores back and browses for; the
// translation of a window's captions; the start-up sequence from the window on.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "core/text.h"
#include "startup/launch.h"
#include "support/test_platform.h"
#include "support/watched_window.h"
#include "update/update_rig.h"
#include "window/settings_dialog.h"
#include "window/startup_window.h"
#include "window/translate_form.h"

namespace quo {
namespace {

struct Window {
  explicit Window(bool load = true) {
    if (load) w.OnLoad();
  }
  // Opens the settings dialog over a settings file.
  SettingsDialog& OpenOptionsDialog(const std::string& settings) {
    test::WriteFile(t.settingsPath(), settings);
    w.View().Raise("cmdOptions", FormEvent::Click);
    return w.OptionsDialog();
  }
  test::TestApp t;
  MemoryFormFactory forms;
  UpdateRun run{*t.app};
  test::WatchedWindow w{run, forms};
};

TEST(CheckTypedVersion, AcceptsThreeNumbersAndNormalisesThem) {
  const struct {
    const char* typed;
    bool ok;
    const char* after;
  } cases[] = {{"01.002.3", true, "1.2.3"}, {"123456789.0.0", true, "123456789.0.0"},
               {"1..3", false, "1..3"},     {" 7.8.9", false, " 7.8.9"},
               {"-1.2.3", false, "-1.2.3"}, {"1x.2.3", false, "1x.2.3"},
               {"1.2", false, "1.2"},       {"1234567890.0.0", false, "1234567890.0.0"},
               {"1.2.3.", false, "1.2.3."}, {"+1.2.3", false, "+1.2.3"},
               {"", false, ""},             {"1.2.3.4", false, "1.2.3.4"}};
  for (const auto& c : cases) {
    Window x;
    x.w["txtVersion"].SetText(c.typed);
    EXPECT_EQ(x.w.CheckTypedVersion(), c.ok) << c.typed;
    EXPECT_EQ(x.w["txtVersion"].Text(), c.after) << c.typed;
  }
}

TEST(MainWindowTest, ASearchStartsForAValidVersionOnlyAndNeverDuringAnOperation) {
  Window x;
  x.t.WriteLanguage(1036, {{"_", "MauvaiseVersion", "Version incorrecte"}});
  x.t.app->translation.LoadCurrentLanguage();
  x.w["txtVersion"].SetText("01.002.3");
  x.w.inSearch = [&x] {  // the user clicks, or presses Enter, while the search runs
    x.w.View().Raise("cmdRechercher", FormEvent::Click);
    x.w.View().Raise("txtVersion", FormEvent::KeyPress, 13);
  };
  x.w.View().Raise("txtVersion", FormEvent::KeyPress, 13);
  x.w.View().Raise("txtVersion", FormEvent::KeyPress, 'a');  // other keys search nothing
  EXPECT_EQ(x.w.searches, 1);
  EXPECT_EQ(x.run.installedVersion, "1.2.3");
  x.w["txtVersion"].SetText("1.2");
  x.w.View().Raise("cmdRechercher", FormEvent::Click);
  EXPECT_EQ(x.w.searches, 1);
  ASSERT_EQ(x.t.windowing.boxes.size(), 1u);
  EXPECT_EQ(x.t.windowing.boxes[0].text, "Version incorrecte");
  // Without a session a run only searches (launched, or by the product), or closes the window.
  x.w["txtVersion"].SetText("1.2.3");
  x.w.MainWindow::RunUpdate();
  x.run.launchedByProduct = true;
  x.w.OnActionClick();
  EXPECT_EQ(x.w.searches, 3);
  EXPECT_FALSE(x.w.Unloaded() || x.run.Finished());
  x.run.launchedByProduct = false;
  x.w.OnActionClick();
  EXPECT_TRUE(x.w.searches == 3 && x.w.Unloaded());
}

TEST(MainWindowTest, TheDotsCycleAndTheAboutBoxShowsThePhaseWithoutThem) {
  Window x;
  x.run.phaseText = "Téléchargement";
  std::vector<std::string> seen;
  for (int i = 0; i < 6; ++i) {
    x.w.View().Raise("tmrMvt", FormEvent::Timer);
    seen.push_back(x.w["lblPhase"].Caption().substr(x.run.phaseText.size()));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{".", "..", "....", "........", ".", ".."}));
  x.w.View().Raise("mnuaide", FormEvent::Click);
  ASSERT_EQ(x.t.windowing.boxes.size(), 1u);
  EXPECT_TRUE(
      std::regex_match(x.t.windowing.boxes[0].text,
                       std::regex("Quorvanta Update V \\d+\\.\\d+\\.\\d+\r\nTéléchargement")))
      << x.t.windowing.boxes[0].text;
}

// What a run shows lands on the window's controls, each button on its own.
TEST(MainWindowTest, ShowsARunOnItsControls) {
  Window x;
  RunView& v = x.w;
  Form& f = x.w.View();
  v.ShowPhase("Connexion");
  v.SetActionCaption("Installer");
  v.SetProgress(40);
  v.ShowProgress(true);
  v.MoveDots(false);
  EXPECT_EQ(f["lblPhase"].Caption() + f["cmdMettreAJour"].Caption(), "ConnexionInstaller");
  EXPECT_TRUE(f["prgPhase"].Value() == 40 && f["prgPhase"].Visible() && !f["tmrMvt"].Enabled());
  const char* names[] = {"cmdOptions", "cmdRechercher", "cmdMettreAJour"};  // by RunButton
  for (int b = 0; b < 3; ++b) {
    for (int o = 0; o < 3; ++o) v.EnableButton(static_cast<RunButton>(o), o != b);
    for (int o = 0; o < 3; ++o) EXPECT_EQ(f[names[o]].Enabled(), o != b) << names[b];
  }
  f.SetState(WindowState::Minimized);  // and hidden, as it starts
  v.RestoreAndShow();
  EXPECT_TRUE(f.State() == WindowState::Normal && f.Visible());
  x.t.windowing.answers = {MsgResult::Cancel};
  EXPECT_TRUE(!v.AskGoAhead("Commencer ?") && v.AskGoAhead("Commencer ?"));
  const auto& box = x.t.windowing.boxes.at(0);
  EXPECT_TRUE(box.text == "Commencer ?" && box.title == f.Caption() &&
              box.buttons == MsgButtons::OkCancel);
  // A launched run (here one that fails at once: no action file) ends on the translated "Sortir".
  x.t.WriteLanguage(1036, {{"_", "Sortir", "Quitter"}});
  x.t.app->translation.LoadCurrentLanguage();
  x.run.ftpConnection = std::make_unique<FtpConnection>(*x.t.app);
  x.run.updateAvailable = true;
  x.w.MainWindow::RunUpdate();
  EXPECT_EQ(f["cmdMettreAJour"].Caption(), "Quitter");
}

// Closing the window during a download abandons the session's transfers: the package being
// fetched when the close comes (c.dll, at 40%) never arrives, and the window unloads once the run
// has ended.
TEST(MainWindowTest, ClosingDuringADownloadAbandonsItsTransfers) {
  test::UpdateRig r;
  r.Serve("upd124/a.dll", "a");
  r.Serve("upd124/c.dll", "c");
  r.ServeUpdate(test::UpdateRig::Actions({{"a.dll", false}, {"c.dll", false}}));
  MemoryFormFactory forms;
  MainWindow w(r.run, forms);
  ASSERT_TRUE(w.SearchUpdates());
  r.t.windowing.onPump = [&] {
    if (w["prgPhase"].Value() == 40) w.OnStopClick();
  };
  w.OnActionClick();
  EXPECT_TRUE(w.Unloaded() && !r.run.Succeeded() && !test::Exists(r.Local("c.dll")));
  EXPECT_NE(r.run.errorText.find("RETR c.dll: abandoned"), std::string::npos) << r.run.errorText;
}

TEST(SettingsDialogTest, TheStoredFrequencySelectsAnEntry) {
  const struct {
    const char* stored;  // nullptr: no key
    int selected;
    const char* savedBack;
  } cases[] = {{nullptr, 0, "0"}, {"1", 1, "1"},   {"2", 2, "2"}, {"1.5", 2, "2"},  // rounded
               {"-1", -1, "-1"},  {"7", 0, "0"},   {"-3", 0, "0"}};
  for (const auto& c : cases) {
    Window d;
    SettingsDialog& p =
        d.OpenOptionsDialog(c.stored ? std::string("[temps]\r\nfrequence=") + c.stored : "");
    EXPECT_EQ(p["cboFrequence"].ListIndex(), c.selected) << c.stored;
    EXPECT_EQ(p["cboFrequence"].Items().size(), 3u);
    p.View().Raise("cmdOK", FormEvent::Click);
    EXPECT_EQ(d.t.app->ini.Read("temps", "frequence"), c.savedBack) << c.stored;
  }
}

TEST(SettingsDialogTest, LoadsEveryFieldAndValiderSavesItAndHandsItToTheWindow) {
  const struct {
    const char* box;
    const char* key;  // in [Server]
    std::string UpdateRun::*copy;
  } fields[] = {{"txtMDP", "MotPasse", &UpdateRun::serverPassword},
                {"txtUser", "User", &UpdateRun::serverUser},
                {"txtAdresse", "Adresse", &UpdateRun::serverAddress},
                {"txtChemin", "Chemin", &UpdateRun::serverDir},
                {"txtDestination", "Destination", &UpdateRun::installDir}};
  Window d;
  // An address is a name: "new-Adresse" for it, "new Adresse" for the others.
  const auto value = [](const char* age, const std::string& key) {
    return age + std::string(key == "Adresse" ? "-" : " ") + key;
  };
  std::string ini = "[Server]\r\n";
  for (const auto& f : fields) ini += f.key + ("=" + value("old", f.key)) + "\r\n";
  SettingsDialog& p = d.OpenOptionsDialog(ini);
  for (const auto& f : fields) {
    EXPECT_EQ(p[f.box].Text(), value("old", f.key));
    p[f.box].SetText(value("new", f.key));
  }
  {
    MainWindow::BusyScope busy(d.w);  // a run keeps its settings: Valider is off and does nothing
    p.OnOkClick();
    EXPECT_FALSE(p["cmdOK"].Enabled() || p.Closed() || d.run.serverUser == "new User");
  }
  p.View().Raise("cmdOK", FormEvent::Click);
  EXPECT_TRUE(p.Closed());
  for (const auto& f : fields) {
    EXPECT_EQ(d.t.app->ini.Read("Server", f.key), value("new", f.key));
    EXPECT_EQ(d.run.*f.copy, value("new", f.key));
  }
}

// The address is saved as it reads back (FormatFtpAddress); one that is not an address is not
// saved: the dialog says why and stays open, and nothing is written.
TEST(SettingsDialogTest, AnAddressIsSavedAsItReadsBackAndOneThatIsNotIsRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {" fe80::1 ", "[fe80::1]"}, {"Ftp.example:021", "Ftp.example"}, {"", ""},
      {"ftp.example#x", nullptr}, {"[ftp.example]", nullptr},         {"h\xc3\xa9te", nullptr}};
  for (const auto& [typed, saved] : cases) {
    Window d;
    SettingsDialog& p = d.OpenOptionsDialog("[Server]\r\nAdresse=old.example\r\n");
    p["txtAdresse"].SetText(typed);
    p["txtUser"].SetText("paul");
    p.View().Raise("cmdOK", FormEvent::Click);
    EXPECT_EQ(p.Closed(), saved != nullptr) << typed;
    EXPECT_EQ(d.t.app->ini.Read("Server", "Adresse"), saved ? saved : "old.example") << typed;
    EXPECT_EQ(d.t.app->ini.Read("Server", "User"), saved ? "paul" : "") << typed;
    EXPECT_EQ(d.run.serverAddress, saved ? saved : "") << typed;
    const std::string why = d.t.app->Translate("AdresseServeurInvalide") + " " + Trim(typed);
    EXPECT_EQ(d.t.windowing.boxes.empty() ? "" : d.t.windowing.boxes[0].text, saved ? "" : why);
  }
}

TEST(SettingsDialogTest, AbsentKeysTakeTheWindowsValuesEditsStayWhileOpenAndCancellingDropsThem) {
  Window d;
  d.run.serverAddress = "ftp.example";
  d.run.installDir = "/opt/q/";
  SettingsDialog& p = d.OpenOptionsDialog("[Server]\r\nUser=marie\r\n");
  EXPECT_EQ(p["txtAdresse"].Text(), "ftp.example");
  EXPECT_EQ(p["txtDestination"].Text(), "/opt/q/");
  p["txtUser"].SetText("paul");
  d.w.View().Raise("cmdOptions", FormEvent::Click);
  EXPECT_EQ(&d.w.OptionsDialog(), &p);
  EXPECT_EQ(p["txtUser"].Text(), "paul");
  EXPECT_TRUE(p.View().Visible());
  p.View().Raise("", FormEvent::CloseRequest);  // the close box cancels, as "Annuler" does
  EXPECT_TRUE(p.Closed());
  SettingsDialog& again = d.w.OptionsDialog();
  EXPECT_EQ(again["txtUser"].Text(), "marie");  // loaded again from the file
  again["txtUser"].SetText("paul");
  again.View().Raise("cmdAnnuler", FormEvent::Click);
  EXPECT_TRUE(again.Closed());
  EXPECT_EQ(d.t.app->ini.Read("Server", "User"), "marie");
}

TEST(SettingsDialogTest, BrowseTakesTheFolderOfTheProductExecutableOnly) {
  Window d;
  SettingsDialog& p = d.OpenOptionsDialog("[Server]\r\nDestination=/start/\r\n");
  const std::pair<std::optional<std::string>, const char*> cases[] = {
      {std::nullopt, "/start/"},  // cancelled
      {"", "/start/"},
      {"/opt/apps/Other.exe", "/start/"},
      {"/opt/apps/NotQuorvanta.exe", "/start/"},
      {"/opt/apps/Quorvanta.exe", "/opt/apps/"}};
  for (const auto& [chosen, folder] : cases) {
    d.t.windowing.fileAnswers = {chosen};
    p.View().Raise("cmdBrowse", FormEvent::Click);
    EXPECT_EQ(p["txtDestination"].Text(), folder) << chosen.value_or("(cancelled)");
  }
}

TEST(TranslateForm, HelpContextsAndMissingTexts) {
  test::TestApp t;
  t.app->translation.LoadText(std::string(40 - 8, ' ').insert(0, "frmParam") +
                              std::string(40 - 5, ' ').insert(0, "cmdOK") + "OK\r\n");
  MemoryForm form(SettingsDialogDesign());
  form.SetHelpContext(7);
  form["txtUser"].SetHelpContext(3);
  form["txtMDP"].SetHelpContext(-1);
  TranslateForm(t.app->translation, form, true);
  EXPECT_EQ(form["cmdOK"].Caption(), "OK");
  EXPECT_EQ(form["cmdAnnuler"].Caption(), "Annuler");  // no entry: design text stays
  EXPECT_EQ(form.Caption(), "Configuration");
  EXPECT_EQ(form["txtUser"].HelpContext(), 3);
  EXPECT_EQ(form["txtMDP"].HelpContext(), 7);
  EXPECT_EQ(form["Label1"].HelpContext(), 7);
}

// The start-up sequence from the window on: the three ways of running and a bad command line,
// with the search and the run watched.
constexpr const char* kDue = "[temps]\r\nfrequence=1\r\n";
using Script = std::function<void(test::WatchedWindow&)>;

// Runs the start-up sequence (PlanLaunch, then the window's part) for a command line.
struct Started : Window {
  explicit Started(const std::vector<std::string>& args, bool found = false,
                   const std::string& settings = kDue, const Script& script = {})
      : Window(false) {
    test::WriteFile(t.settingsPath(), settings);
    t.WriteLanguage(1036, {{"_", "Aucunenouvelemiseàjourdedisponible", "Aucune mise à jour"},
                           {"_", "Cacher", "Cacher"}});
    t.WriteLanguage(1033, {{"_", "Denouvellesmisesàjoursontdisponibles", "Updates available"}});
    w.found = found;
    if (script) script(w);
    const LaunchPlan plan = PlanLaunch(*t.app, args);
    if (plan.proceed) RunWindowStartup(w, plan);
  }
};

TEST(StartupWindow, EachWayOfRunningShowsTheWindowAndEndsAsItShould) {
  const Script runInstalls = [](test::WatchedWindow& w) {
    w.inRun = [p = &w] { p->Run().End(RunOutcome::Installed); };
  };
  const Script searchPhase = [](test::WatchedWindow& w) {
    w.inSearch = [p = &w] { SetPhase(p->Run(), *p, "Connexion impossible"); };
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
      {{"2.1.0", test::Abs("/opt/q/")}, true, kDue, runInstalls, 1, 1, true, true, ""},
      // A run that ends without its installation having run to its end failed.
      {{"2.1.0", test::Abs("/opt/q/")}, true, kDue, {}, 1, 1, true, false, ""},
      {{"2.1.0", test::Abs("/opt/q/")}, false, kDue, {}, 1, 0, true, true, "Aucune mise à jour"},
      // Forced, with no schedule at all: the installation is left to the user.
      {{"2.1.0", test::Abs("/p"), "1033", "1"}, true, "", {}, 1, 0, true, true, "Updates available"},
      {{"2.1.0", test::Abs("/p"), "1036", "1"}, false, "", {}, 1, 0, true, true, "Aucune mise à jour"},
      {{"2.1.0", test::Abs("/p"), "1036", "1"}, false, "", searchPhase, 1, 0, true, true, "Connexion impossible"},
  };
  for (const auto& c : cases) {
    Started s(c.args, c.found, c.settings, c.script);
    SCOPED_TRACE((c.args.empty() ? "" : c.args[0]) + (c.script ? " (scripted)" : ""));
    EXPECT_TRUE(s.w.View().Visible());
    EXPECT_EQ(s.w.searches, c.searches);
    EXPECT_EQ(s.w.runs, c.runs);
    EXPECT_EQ(s.run.Finished(), c.finished);
    EXPECT_EQ(s.run.Succeeded(), c.succeeded);
    EXPECT_EQ(s.w["lblPhase"].Caption(), c.phase);
  }
}

TEST(StartupWindow, WhatEachWayOfRunningSetsUp) {
  Started interactive({});
  EXPECT_EQ(interactive.w["mnuShow"].Caption(), "Cacher");  // French loaded
  EXPECT_EQ(interactive.run.downloadDir, interactive.t.dir / "Download/");
  EXPECT_TRUE(test::Exists(interactive.t.dir / "Download"));

  Started launched({"2.1.0", test::Abs("/opt/q/")});
  EXPECT_EQ(launched.run.installDir, test::Abs("/opt/q/"));
  EXPECT_FALSE(launched.w["picVersion"].Visible());

  Started forced({"2.1.0", test::Abs("/p"), "1033", "1"}, false, "");
  EXPECT_EQ(forced.w["txtVersion"].Text(), "2.1.0");
}

TEST(StartupWindow, ClosingDuringTheSearchEndsTheRunThere) {
  Started s({"2.1.0", test::Abs("/opt/q/")}, true, kDue, [](test::WatchedWindow& w) {
    w.inSearch = [p = &w] { p->View().Raise("", FormEvent::CloseRequest); };  // the close box
  });
  EXPECT_TRUE(s.w.Unloaded());
  EXPECT_EQ(s.w.runs, 0);  // the installation never starts after a close
}

}  // namespace
}  // namespace quo
