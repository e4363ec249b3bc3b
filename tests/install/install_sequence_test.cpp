// The install sequence end to end on real files: placement, backups, phases and progress, the
// download clean-up, and the action files it must survive.
#include "install/install_sequence.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "install_fixture.h"

namespace quo::test {
namespace {

// The product's process is ended before anything is installed; the root gets its slash.
TEST_F(InstallTest, CompleteRunPlacesEveryFileAndEmptiesTheDownloads) {
  t.WriteLanguage(1036, {{"_", "SuppressiondesfichiersTéléchargés", "Suppression"}});
  t.app->translation.LoadCurrentLanguage();
  run.installDir = t.dir / "prod";
  SleepingChild running(t.dir.path(), "QkProd");
  WriteFile(root + "Quorvanta.exe", "old exe");
  WriteFile(root + "OLDQuorvanta.exeBack", "from an earlier update");  // replaced by the new one
  WriteActions(
      {{"Quorvanta.exe", {{"copie", "1"}, {"backup", "1"}}},
       {"grille.dat",
        {{"destination", "Plugins"}, {"copie", "1"}, {"backup", "1"}, {"kill", running.name()}}}});
  Package("Quorvanta.exe", "new exe");
  Package("grille.dat", "grid");
  Package(".hidden", "h");
  MakeDirs(run.downloadDir + "sub");
  Package("sub/c", "c");
  bool endedFirst = false;  // by the first section's pump
  t.windowing.onPump = [&] { endedFirst |= t.windowing.pumps == 1 && running.EndedByKill(); };

  RunInstall(2);

  EXPECT_EQ(run.errorText, "");
  EXPECT_TRUE(endedFirst);
  EXPECT_EQ(processes.terminated, std::vector<std::uint32_t>{running.id()});
  EXPECT_EQ(ReadFile(root + "Quorvanta.exe"), "new exe");
  EXPECT_EQ(ReadFile(root + "OLDQuorvanta.exeBack"), "old exe");
  EXPECT_EQ(ReadFile(root + "Plugins/grille.dat"), "grid");
  EXPECT_FALSE(Exists(root + "Plugins/OLDgrille.datBack"));  // nothing was there to keep
  EXPECT_FALSE(Exists(t.dir / "prodPlugins"));
  EXPECT_EQ(view.Phase(), "Suppression");
  EXPECT_FALSE(view.dots);
  EXPECT_FALSE(Exists(run.downloadDir + "Quorvanta.exe"));  // the downloads are gone,
  EXPECT_TRUE(Exists(run.downloadDir + ".hidden"));         // only their ordinary files
  EXPECT_TRUE(Exists(run.downloadDir + "sub/c"));
  EXPECT_FALSE(Exists(actionsPath));
}

TEST_F(InstallTest, FlagsOfAPresentFile) {
  struct Case {
    std::string backup, replace;
    bool present;
    std::string file, backupFile;  // "" = absent
    std::string type = "";
  } cases[] = {
      {"0", "0", true, "old", ""},      // left as it is
      {"0", "1", true, "new", ""},      // replaced
      {"1", "1", true, "new", "old"},   // replaced, kept aside
      {"1", "0", true, "", "old"},      // retired: a failed run brings it back
      {"1", "0", false, "new", ""},     // absent: copied whatever the flags say
      {"0.5", "abc", true, "", "old"},  // 0.5 sets a flag, text clears it
      {"0", "1", false, "new", "", "exeX"},
  };
  // A file in place keeps its mode when replaced; a new one gets its folder's default (the
  // package's own mode, 0600 here, never counts), plus execute for a program.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  namespace fs = std::filesystem;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.backup + "/" + c.replace + (c.present ? " present" : " absent"));
    fs::remove_all(root);
    MakeDirs(root);
    if (c.present) WriteFile(root + "f.bin", "old"), fs::permissions(root + "f.bin", fs::perms(0750));
    WriteActions({{"f.bin", {{"backup", c.backup}, {"copie", c.replace}, {"type", c.type}}}});
    Package("f.bin", "new");
    fs::permissions(run.downloadDir + "f.bin", fs::perms(0600));
    RunInstall(1);
    EXPECT_EQ(run.errorText, "");
    EXPECT_EQ(ReadFile(root + "f.bin"), c.file);
    EXPECT_EQ(Exists(root + "f.bin"), !c.file.empty());
    EXPECT_EQ(ReadFile(root + "OLDf.binBack"), c.backupFile);
    const int mode = c.present ? 0750 : (c.type == "exeX" ? 0777 : 0666) & ~mask;
    EXPECT_TRUE(c.file.empty() || fs::status(root + "f.bin").permissions() == fs::perms(mode));
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
    EXPECT_EQ(run.errorText, "");
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
  const std::string name = "File name refused";
  SleepingChild running(t.dir.path(), "QkKeep");
  struct Case {
    std::string section, destination, why;  // no why: the destination is refused
  } cases[] = {
      {"../evil.bin", "", name},
      {"a/b.bin", "", name},
      {"a\\b.bin", "", name},
      {"a..b", "", name},
      {".profile", "", name},
      {"tab\tname", "", name},
      {"", "", name},
      {"ok.bin", "../out"},
      {"ok.bin", "/tmp/out"},
      {"ok.bin", "C:\\out"},
      {"ok.bin", "\\\\srv\\x"},
      {"ok.bin", "a\\..\\..\\out"},
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
    const std::string why = c.why.empty() ? "Destination refused (" + c.destination + ")" : c.why;
    EXPECT_EQ(Errors(), std::vector<std::string>{why + " Fichier : " + c.section});
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
  EXPECT_EQ(run.errorText, "\r\n" + t.app->Translate("Echecdelinstallation") + " Overflow Avec ");
  EXPECT_FALSE(Exists(root + "f1"));
  EXPECT_TRUE(Exists(run.downloadDir + "f1"));
  EXPECT_FALSE(view.dots);
}

}  // namespace
}  // namespace quo::test
