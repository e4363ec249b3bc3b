// The install sequence end to end on real files: placement, backups, phases and progress, the
// download clean-up, and the action files it must survive.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/text.h"
#include "install/lancer_maj.h"
#include "install_fixture.h"
#include "support/watched_window.h"

namespace quo::test {
namespace {

// The product's process is ended before anything is installed; the root gets its slash.
TEST_F(InstallTest, CompleteRunPlacesEveryFileAndEmptiesTheDownloads) {
  t.WriteLanguage(1036, {{"_", "Installationde", "Installation de"},
                         {"_", "Encours", "en cours"},
                         {"_", "SuppressiondesfichiersTéléchargés", "Suppression"}});
  t.app->translation.ChargerLangue();
  w.MyInstallationDest = t.dir / "prod";
  SleepingChild running(t.dir.path(), "QkProd");
  WriteFile(root + "Quorvanta.exe", "old exe");
  WriteFile(root + "OLDQuorvanta.exeBack", "from an earlier update");  // replaced by the new one
  WriteActions({{"Quorvanta.exe", {{"copie", "1"}, {"backup", "1"}}},
                {"grille.dat",
                 {{"destination", "Plugins"}, {"copie", "1"}, {"backup", "1"},
                  {"kill", running.name()}}}});
  Package("Quorvanta.exe", "new exe");
  Package("grille.dat", "grid");
  Package(".hidden", "h");
  MakeDirs(w.MyDossier + "sub");
  Package("sub/c", "c");
  std::vector<std::string> tips;
  bool endedFirst = false;
  t.windowing.onPump = [&] {
    if (tips.empty()) endedFirst = running.EndedByKill();
    tips.push_back(w.TextePhase);
  };

  RunInstall(2);

  EXPECT_EQ(w.ErrorText, "");
  EXPECT_TRUE(endedFirst);
  EXPECT_EQ(processes.terminated, std::vector<std::uint32_t>{running.id()});
  EXPECT_EQ(ReadFile(root + "Quorvanta.exe"), "new exe");
  EXPECT_EQ(ReadFile(root + "OLDQuorvanta.exeBack"), "old exe");
  EXPECT_EQ(ReadFile(root + "Plugins/grille.dat"), "grid");
  EXPECT_FALSE(Exists(root + "Plugins/OLDgrille.datBack"));  // nothing was there to keep
  EXPECT_FALSE(Exists(t.dir / "prodPlugins"));
  EXPECT_EQ(tips, (std::vector<std::string>{"Installation de Quorvanta.exe en cours",
                                            "Installation de grille.dat en cours"}));
  EXPECT_EQ(w["prgPhase"].Value(), 80);  // 4/5: the install pass never reaches 100
  EXPECT_EQ(w["lblPhase"].Caption(), "Suppression");
  EXPECT_FALSE(w["tmrMvt"].Enabled());
  EXPECT_FALSE(Exists(w.MyDossier + "Quorvanta.exe"));  // the downloads are gone,
  EXPECT_TRUE(Exists(w.MyDossier + ".hidden"));         // only their ordinary files
  EXPECT_TRUE(Exists(w.MyDossier + "sub/c"));
  EXPECT_FALSE(Exists(nomIni));
}

TEST_F(InstallTest, FlagsOfAPresentFile) {
  struct Case {
    std::string backup, copie;
    bool present;
    std::string file, backupFile;  // "" = absent
  } cases[] = {
      {"0", "0", true, "old", ""},      // left as it is
      {"0", "1", true, "new", ""},      // replaced
      {"1", "1", true, "new", "old"},   // replaced, kept aside
      {"1", "0", true, "", "old"},      // retired: a failed run brings it back
      {"1", "0", false, "new", ""},     // absent: copied whatever the flags say
      {"0.5", "abc", true, "", "old"},  // 0.5 sets a flag, text clears it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.backup + "/" + c.copie + (c.present ? " present" : " absent"));
    std::filesystem::remove_all(root);
    MakeDirs(root);
    if (c.present) WriteFile(root + "f.bin", "old");
    WriteActions({{"f.bin", {{"backup", c.backup}, {"copie", c.copie}}}});
    Package("f.bin", "new");
    RunInstall(1);
    EXPECT_EQ(w.ErrorText, "");
    EXPECT_EQ(ReadFile(root + "f.bin"), c.file);
    EXPECT_EQ(Exists(root + "f.bin"), !c.file.empty());
    EXPECT_EQ(ReadFile(root + "OLDf.binBack"), c.backupFile);
  }
}

TEST_F(InstallTest, SystemFoldersComeFromPathOrAreRefused) {
  const std::string win = t.dir / "WINDOWS/";
  MakeDirs(win + "system32");
  MakeDirs(win + "system");
  // A PATH longer than 255 characters, whose system32 entry comes late and in capitals.
  t.system.env["PATH"] = std::string(280, 'x') + ":relative/system32:" + win + "SYSTEM32:/usr/bin";
  struct Case {
    std::string destination, dir;
  } cases[] = {
      {"system32", win + "SYSTEM32/"},   {"c:\\windows\\system32", win + "SYSTEM32/"},
      {"mysystem32", win + "SYSTEM32/"}, {"oldsystemfiles", win + "SYSTEM/"},
      {"System32", root + "System32/"},  {"System", root + "System/"},
  };
  MakeDirs(win + "SYSTEM");  // …/SYSTEM32 less its last two characters
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destination);
    WriteActions({{"s.bin", {{"destination", c.destination}}}});
    Package("s.bin", "s");
    RunInstall(1);
    EXPECT_EQ(w.ErrorText, "");
    EXPECT_EQ(ReadFile(c.dir + "s.bin"), "s");
    std::filesystem::remove(c.dir + "s.bin");
  }
  t.system.env["PATH"] = "/usr/bin:relative/system32";  // no system folder: refused
  WriteActions({{"s.bin", {{"destination", "system32"}}}});
  Package("s.bin", "s");
  RunInstall(1);
  EXPECT_EQ(Errors(), (std::vector<std::string>{"No system folder along PATH Fichier : s.bin"}));
}

// Nothing is written for a name or destination that would leave the root, nor for a nested
// folder whose parent is missing (only one level is created); a refused name ends no process.
TEST_F(InstallTest, NamesAndDestinationsThatWouldLeaveTheRootWriteNothing) {
  const std::string name = "File name refused ";
  SleepingChild running(t.dir.path(), "QkKeep");
  struct Case {
    std::string section, destination, why;  // no why: the destination is refused
  } cases[] = {
      {"../evil.bin", "", name}, {"a/b.bin", "", name},    {"a\\b.bin", "", name},
      {"a..b", "", name},        {".profile", "", name},   {"tab\tname", "", name},
      {"", "", name},            {"ok.bin", "../out"},     {"ok.bin", "/tmp/out"},
      {"ok.bin", "C:\\out"},     {"ok.bin", "\\\\srv\\x"}, {"ok.bin", "a\\..\\..\\out"},
      {"ok.bin", "Plugins\\Images",
       "Cannot create a file in " + root + "Plugins/Images: No such file or directory"},
  };
  MakeDirs(t.dir / "out");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section + " -> " + c.destination);
    const std::string kill = c.why == name ? running.name() : "";
    WriteActions({{c.section, {{"destination", c.destination}, {"copie", "1"}, {"kill", kill}}}});
    Package("ok.bin", "x");
    RunInstall(1);
    const std::string why = c.why.empty() ? "Destination refused (" + c.destination + ") " : c.why;
    EXPECT_EQ(Errors(), std::vector<std::string>{why + "Fichier : " + c.section});
    EXPECT_TRUE(std::filesystem::is_empty(root));
    EXPECT_TRUE(std::filesystem::is_empty(t.dir / "out"));
    EXPECT_FALSE(Exists(t.dir / "evil.bin"));
  }
  EXPECT_TRUE(running.Running());
}

TEST_F(InstallTest, SectionListedTwiceKeepsTheFirstBackup) {
  WriteFile(root + "a.bin", "original");
  const PackageSection a{"a.bin", {{"backup", "1"}, {"copie", "1"}}};
  WriteActions({a, a, {"b.bin", {}}});
  Package("a.bin", "new");
  RunInstall(3);  // b.bin is missing: the run rolls back
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(ReadFile(root + "a.bin"), "original");
}

TEST_F(InstallTest, CounterOverflowEndsTheRunThroughTheTrap) {
  WriteActions({{"f1", {{"copie", "1"}}}}, "40000");  // more than the 16-bit counter holds
  Package("f1", "1");
  RunInstall(40000);
  EXPECT_EQ(w.ErrorText, "\r\nOverflow Avec ");
  EXPECT_FALSE(Exists(root + "f1"));
  EXPECT_TRUE(Exists(w.MyDossier + "f1"));
  EXPECT_FALSE(w["tmrMvt"].Enabled());
}

TEST_F(InstallTest, FinishRunShowsTheOutcome) {
  t.WriteLanguage(1036, {{"_", "Deserreursonteutlieus", "Des erreurs ont eu lieu :"},
                         {"_", "Miseajourcorrectementterminée", "Terminé"}});
  t.app->translation.ChargerLangue();
  for (const std::string errors : {"\r\nfirst\r\nsecond", ""}) {
    w.MajDisponible = true;
    w["cmdMettreAJour"].SetEnabled(false);
    w.ErrorText = errors;
    FinishRun(w, "Sortir");
    EXPECT_EQ(w["lblPhase"].Caption(),
              errors.empty() ? "Terminé" : "Des erreurs ont eu lieu :\r\n" + errors);
    EXPECT_EQ(w["cmdMettreAJour"].Caption(), "Sortir");
    EXPECT_TRUE(w["cmdMettreAJour"].Enabled());
    EXPECT_FALSE(w.MajDisponible);
    EXPECT_EQ(w.Succeeded(), errors.empty());
  }
}

TEST(LancerMaj, WithoutASessionOnlySearchesOrCloses) {
  TestApp t;
  MemoryFormFactory factory;
  WatchedWindow w(*t.app, factory);
  w.Form_Load();
  w["txtVersion"].SetText("1.2.3");
  LancerMaj(w, true);
  EXPECT_EQ(w.searches, 1);
  w.Externe = true;
  cmdMettreAJour_Click(w);
  EXPECT_EQ(w.searches, 2);
  EXPECT_FALSE(w.Unloaded());
  EXPECT_FALSE(w.Finished());
  w.Externe = false;
  cmdMettreAJour_Click(w);
  EXPECT_EQ(w.searches, 2);
  EXPECT_TRUE(w.Unloaded());
}

}  // namespace
}  // namespace quo::test
