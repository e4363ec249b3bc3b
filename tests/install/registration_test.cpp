// Component registration: the commands by kind, the wait for the file, the error trap and the
// retry. Registration through a rollback is part of the rollback fault table.
#include "install/registration.h"

#include <gtest/gtest.h>

#include "install_fixture.h"

namespace quo::test {
namespace {

TEST(RegistrationCommand, ByKind) {
  ChildProcesses windowsLike;
  windowsLike.registrar = "regsvr32";
  using V = std::vector<std::string>;
  EXPECT_EQ(RegistrationCommand(&windowsLike, "dll", "/p/a b.dll", false),
            (V{"regsvr32", "/s", "/p/a b.dll"}));
  EXPECT_EQ(RegistrationCommand(&windowsLike, "ocx", "/p/g.ocx", true),
            (V{"regsvr32", "/u", "/s", "/p/g.ocx"}));
  EXPECT_EQ(RegistrationCommand(&windowsLike, "exeX", "/p/a b.exe", false),
            (V{"/p/a b.exe", "/REGSERVER"}));
  for (const std::string kind : {"DLL", "exex", ""})
    EXPECT_TRUE(RegistrationCommand(&windowsLike, kind, "/p/x", false).empty()) << kind;
  ProcfsProcesses posix;  // no in-process registrar here
  EXPECT_TRUE(RegistrationCommand(&posix, "dll", "/p/a.dll", false).empty());
  EXPECT_EQ(RegistrationCommand(&posix, "exeX", "/p/a", false), (V{"/p/a", "/REGSERVER"}));
}

TEST_F(InstallTest, RegistrationWaitsForTheFileThenReportsItMissing) {
  const int before = t.system.sleeps;
  EXPECT_FALSE(RegisterComponent(run, root + "x.exe", "exeX", ""));
  EXPECT_EQ(t.system.sleeps - before, 21);
  EXPECT_EQ(run.errorText, "\r\nFichier  " + root + "x.exe Introuvable");
  EXPECT_TRUE(t.windowing.boxes.empty());
  EXPECT_TRUE(processes.started.empty());
}

TEST_F(InstallTest, ProgramThatCannotRegisterFailsTheSectionAfterOneRetry) {
  Package("plain.exe", "not executable");
  WriteFile(root + "plain.exe", "old");
  WriteActions({{"plain.exe",
                 {{"copie", "1"}, {"backup", "1"}, {"enregistrement", "1"}, {"type", "exeX"}}}});
  RunInstall(1);
  // Each error is shown at once, then listed: the retry's stays, and the rollback then finds the
  // restored file cannot start either.
  const std::string why = "Cannot start " + root + "plain.exe: Permission denied";
  EXPECT_EQ(Errors(), std::vector<std::string>(2, why + " Fichier : " + root + "plain.exe"));
  ASSERT_EQ(t.windowing.boxes.size(), 3u);  // first attempt, its retry, the rollback
  for (const auto& box : t.windowing.boxes)
    EXPECT_EQ(box.title + ": " + box.text, "Enregistrement: " + why);
  EXPECT_EQ(ReadFile(root + "plain.exe"), "old");
}

TEST_F(InstallTest, RegistrationRetryNeverReplacesTheFirstBackup) {
  // The new file vanishes after each copy until the retry, where it stays.
  int copies = 0;
  files.afterCopy = [&](const std::string& to) {
    if (to == root + "c.exe" && ++copies <= 22) std::remove(to.c_str());
  };
  WriteFile(root + "c.exe", "original");
  Package("c.exe", "new");
  WriteActions(
      {{"c.exe", {{"copie", "1"}, {"backup", "1"}, {"enregistrement", "1"}, {"type", "other"}}}});
  RunInstall(1);
  EXPECT_GE(copies, 23);  // the retry ran
  EXPECT_EQ(run.errorText, "");
  EXPECT_EQ(ReadFile(root + "c.exe"), "new");
  EXPECT_EQ(ReadFile(root + "OLDc.exeBack"), "original");
}

}  // namespace
}  // namespace quo::test
