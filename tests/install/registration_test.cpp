// Component registration: the commands started (real processes: shell scripts standing for
// self-registering programs), the wait for the file, the error trap, the retry and re-registration
// after a rollback.
#include "install/registration.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <set>
#include <thread>

#include "core/text.h"
#include "install/rollback.h"
#include "install_fixture.h"

namespace quo::test {
namespace {

// The children's walk, recording every command started (and starting it for real).
class RecordingProcesses : public ChildProcesses {
 public:
  std::vector<std::vector<std::string>> started;
  std::string registrar;
  void StartDetached(const std::vector<std::string>& argv) override {
    started.push_back(argv);
    ChildProcesses::StartDetached(argv);
  }
  bool StartAndWait(const std::vector<std::string>& argv, int timeoutMs) override {
    started.push_back(argv);
    return ChildProcesses::StartAndWait(argv, timeoutMs);
  }
  std::string InProcessRegistrar() override { return registrar; }
};

// A program that registers itself: it appends "<tag>:<its path>|<arguments>|" to calls.log.
std::string Component(const std::string& tag) {
  return "#!/bin/sh\nprintf '%s\\n' \"" + tag + ":$0|$*|\" >> \"$(dirname \"$0\")/calls.log\"\n";
}

// The distinct lines of the log once it holds count lines (or after about 5 s).
std::set<std::string> WaitForCalls(const std::string& log, std::size_t count) {
  std::vector<std::string> lines;
  for (int i = 0; i < 1000; ++i) {
    lines.clear();
    for (const std::string& l : Split(ReadFile(log), '\n'))
      if (!l.empty()) lines.push_back(l);
    if (lines.size() >= count) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return {lines.begin(), lines.end()};
}

class RegistrationTest : public InstallTest {
 protected:
  RegistrationTest() { t.platform.processes = &recorder; }
  void ExecutablePackage(const std::string& name, const std::string& content) {
    Package(name, content);
    ::chmod((w.MyDossier + name).c_str(), 0755);
  }
  RecordingProcesses recorder;
};

TEST(RegistrationCommand, ByKind) {
  RecordingProcesses windowsLike;
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

TEST_F(RegistrationTest, InProcessComponentsHaveNothingToRegisterHere) {
  WriteFile(root + "a.dll", "old");
  WriteActions({{"a.dll", {{"copie", "1"}, {"enregistrement", "1"}, {"type", "dll"}}}});
  Package("a.dll", "new");
  RunInstall(1);
  EXPECT_EQ(w.ErrorText, "");
  EXPECT_EQ(ReadFile(root + "a.dll"), "new");
  EXPECT_TRUE(recorder.started.empty());
}

TEST_F(RegistrationTest, MissingFileWaitsThenIsIntrouvableAndCopyErrorsAreShown) {
  const int before = t.system.sleeps;
  EXPECT_FALSE(RegisterComponent(w, root + "x.exe", "exeX", ""));
  EXPECT_EQ(t.system.sleeps - before, 21);
  EXPECT_EQ(w.ErrorText, "\r\nFichier  " + root + "x.exe Introuvable");
  EXPECT_TRUE(t.windowing.boxes.empty());
  // The copy from the download folder fails: the trap shows the error at once, then reports it.
  w.ErrorText.clear();
  EXPECT_FALSE(RegisterComponent(w, root + "x.exe", "exeX", "x.exe"));
  ASSERT_EQ(t.windowing.boxes.size(), 1u);
  EXPECT_EQ(t.windowing.boxes[0].title, "Enregistrement");
  const std::string description = t.windowing.boxes[0].text;
  EXPECT_TRUE(StartsWith(description, "Cannot open " + w.MyDossier + "x.exe"));
  EXPECT_EQ(w.ErrorText, "\r\n" + description + "Fichier : " + root + "x.exe");
}

TEST_F(RegistrationTest, ProgramThatCannotStartFailsTheSectionAfterOneRetry) {
  Package("plain.exe", "not executable");
  WriteFile(root + "plain.exe", "old");
  WriteActions({{"plain.exe",
                 {{"copie", "1"}, {"backup", "1"}, {"enregistrement", "1"}, {"type", "exeX"}}}});
  RunInstall(1);
  // The retry's error stays; the rollback then finds the restored file cannot start either.
  const std::string error =
      "Cannot start " + root + "plain.exe: Permission deniedFichier : " + root + "plain.exe";
  EXPECT_EQ(Errors(), (std::vector<std::string>{error, error}));
  EXPECT_EQ(t.windowing.boxes.size(), 3u);  // first attempt, its retry, the rollback
  EXPECT_EQ(ReadFile(root + "plain.exe"), "old");
}

TEST_F(RegistrationTest, RetryNeverReplacesTheFirstBackup) {
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
  EXPECT_EQ(w.ErrorText, "");
  EXPECT_EQ(ReadFile(root + "c.exe"), "new");
  EXPECT_EQ(ReadFile(root + "OLDc.exeBack"), "original");
}

// Old components unregistered, new ones registered (a path with a space stays one argument), and
// after the rollback the restored one registered again.
TEST_F(RegistrationTest, RollbackRegistersTheRestoredComponentsAgain) {
  for (const std::string name : {"a b.exe", "b.exe"}) {
    WriteFile(root + name, Component("old-" + name));
    ::chmod((root + name).c_str(), 0755);
    ExecutablePackage(name, Component("new-" + name));
  }
  WriteActions(
      {{"a b.exe", {{"copie", "1"}, {"backup", "1"}, {"enregistrement", "1"}, {"type", "exeX"}}},
       {"b.exe", {{"copie", "1"}, {"enregistrement", "1"}, {"type", "exeX"}}},
       {"missing.bin", {}}});
  RunInstall(3);
  ASSERT_EQ(Errors().size(), 1u);
  const auto calls = WaitForCalls(root + "calls.log", 5);
  EXPECT_EQ(calls, (std::set<std::string>{
                       "old-a b.exe:" + root + "a b.exe|/UNREGSERVER|",
                       "new-a b.exe:" + root + "a b.exe|/REGSERVER|",
                       "old-b.exe:" + root + "b.exe|/UNREGSERVER|",
                       "new-b.exe:" + root + "b.exe|/REGSERVER|",
                       "old-a b.exe:" + root + "a b.exe|/REGSERVER|",  // restored, registered again
                   }));
  EXPECT_EQ(ReadFile(root + "b.exe"), Component("new-b.exe"));  // no backup: stays new
}

TEST_F(RegistrationTest, RollbackWithoutBackupFileStillRegisters) {
  // Both flags set, no file before the run: no backup, and after the rollback the installed file
  // is registered again; with no file at all the rollback reports it missing.
  ExecutablePackage("n.exe", Component("new"));
  WriteActions(
      {{"n.exe", {{"copie", "1"}, {"backup", "1"}, {"enregistrement", "1"}, {"type", "exeX"}}},
       {"gone.exe", {{"backup", "1"}, {"enregistrement", "1"}, {"type", "exeX"}}}});
  RunInstall(2);
  EXPECT_EQ(Errors(),
            (std::vector<std::string>{"Cannot open " + w.MyDossier +
                                          "gone.exe: No such file or directoryFichier : gone.exe",
                                      "Fichier  " + root + "gone.exe Introuvable"}));
  EXPECT_EQ(WaitForCalls(root + "calls.log", 2),  // the same call twice
            (std::set<std::string>{"new:" + root + "n.exe|/REGSERVER|"}));
  EXPECT_EQ(recorder.started.size(), 2u);
}

}  // namespace
}  // namespace quo::test
