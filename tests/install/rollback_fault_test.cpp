// Section k of n fails in each way, for every k, on real files: every file that had a backup is
// back byte for byte, the others as the run left them, the downloads kept, the version unrecorded
// and every error listed. The first two files are programs that register themselves: an old one
// is unregistered before it is replaced, a new one registered, a restored one registered again.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/text.h"
#include "install/recovery.h"
#include "install/target_dir.h"
#include "install_fixture.h"

namespace quo::test {
namespace {

enum class Fault { SourceMissing, TargetUnusable, RegistrationNeverFinds, RestoreError };
constexpr int kSections = 3;  // first, middle (without a backup), last (in a sub-folder, plain)

std::string Name(int i) { return "s " + std::to_string(i) + ".bin"; }  // a space: one argument
bool HasBackup(int i) { return i != 2; }

class RollbackFault : public InstallTest,
                      public ::testing::WithParamInterface<std::tuple<Fault, int>> {
 protected:
  std::string Dir(int i) const { return i == kSections ? root + "Plugins/" : root; }
  // A program that appends "<tag>:<its path>|<arguments>|" to the log when it runs.
  std::string Program(const std::string& tag) const {
    return "#!/bin/sh\nprintf '%s\\n' \"" + tag + ":$0|$*|\" >> '" + log + "'\n";
  }
  std::string Original(int i) const {
    return Program("old" + std::to_string(i)) + "#" + std::string(1000, 'o') + "\n";
  }
  std::string New(int i) const { return Program("new" + std::to_string(i)); }
  void WriteProgram(const std::string& path, const std::string& content) {
    WriteFile(path, content);
    ::chmod(path.c_str(), 0755);
  }
  // The unregistrations the log holds, in order: they are waited for, unlike registrations.
  std::vector<std::string> Unregistrations() const {
    std::vector<std::string> out;
    for (const std::string& line : Split(ReadFile(log), '\n'))
      if (line.ends_with("/UNREGSERVER|")) out.push_back(line);
    return out;
  }

  std::string log = t.dir / "calls.log";
};

TEST_P(RollbackFault, EveryBackedUpFileIsBackByteForByte) {
  const auto [fault, k] = GetParam();
  t.app->ini.Write("temps", "DerniereVersion", "1.3.0");
  SleepingChild running(t.dir.path(), "QkRun");
  MakeDirs(root + "Plugins");
  WriteFile(root + "blocked", "a file where a folder must be");
  WriteFile(BackupName(root, Name(2)), "from an earlier update");  // not this run's: stays

  std::vector<PackageSection> sections;
  for (int i = 1; i <= kSections; ++i) {
    WriteProgram(Dir(i) + Name(i), Original(i));
    WriteProgram(run.downloadDir + Name(i), New(i));
    PackageSection s{Name(i), {{"copie", "1"}, {"backup", HasBackup(i) ? "1" : "0"}}};
    if (i == kSections) s.keys["destination"] = "Plugins", s.keys["kill"] = running.name();
    if (i != kSections || (fault == Fault::RegistrationNeverFinds && i == k))
      s.keys["enregistrement"] = "1", s.keys["type"] = "exeX";
    sections.push_back(s);
  }
  const std::string target =
      (fault == Fault::TargetUnusable ? root + "blocked/" : Dir(k)) + Name(k);
  std::vector<std::string> expected;
  switch (fault) {
    case Fault::SourceMissing:
    case Fault::RestoreError:
      std::filesystem::remove(run.downloadDir + Name(k));
      expected.push_back("Cannot open " + run.downloadDir + Name(k) +
                         ": No such file or directory Fichier : " + Name(k));
      break;
    case Fault::TargetUnusable:
      sections[k - 1].keys["destination"] = "blocked";
      expected.push_back("Cannot create a file in " + root +
                         "blocked: Not a directory Fichier : " + Name(k));
      break;
    case Fault::RegistrationNeverFinds:
      files.afterCopy = [&](const std::string& to) {
        if (to == target) std::filesystem::remove(to);  // the file vanishes once copied
      };
      expected.push_back("Fichier  " + target + " Introuvable");
      break;
  }
  if (fault == Fault::RestoreError) {
    // Section 1's installed file is replaced by a folder just before its backup comes back.
    files.beforeRename = [&](const std::string& from, const std::string& to) {
      if (from != BackupName(root, Name(1))) return;
      std::filesystem::remove(to);
      MakeDirs(to);
      WriteFile(to + "/inside", "x");
    };
    expected.push_back("Cannot rename " + BackupName(root, Name(1)) + ": Is a directory Avec " +
                       Name(1));
  }
  // A component to register again that is not there: its target was never usable.
  if (fault == Fault::TargetUnusable && k == 1)
    expected.push_back("Fichier  " + target + " Introuvable");
  WriteActions(sections);

  RunInstall(kSections);

  EXPECT_EQ(Errors(), expected);
  EXPECT_TRUE(running.EndedByKill());
  // The commands started, in order: unregistration of the old file before it is replaced and
  // registration of the new one, section by section, then the restored ones registered again.
  std::vector<std::vector<std::string>> installing, restoring;
  std::vector<std::string> unregistered;  // each by the old program itself
  for (int i = 1; i <= kSections; ++i) {
    SCOPED_TRACE(Name(i));
    const std::string path = Dir(i) + Name(i), backup = BackupName(Dir(i), Name(i));
    const bool touched = i < k || (i == k && fault != Fault::TargetUnusable);
    const bool restored = HasBackup(i) && touched && !(fault == Fault::RestoreError && i == 1);
    const bool component = i != kSections || (fault == Fault::RegistrationNeverFinds && i == k);
    const bool removedByTheTest =
        i == k && (fault == Fault::SourceMissing || fault == Fault::RestoreError);
    EXPECT_EQ(ReadFile(run.downloadDir + Name(i)), removedByTheTest ? "" : New(i));  // kept
    if (touched && i != kSections) {  // a file in a sub-folder is never unregistered
      installing.push_back({path, "/UNREGSERVER"});
      unregistered.push_back("old" + std::to_string(i) + ":" + path + "|/UNREGSERVER|");
    }
    if (i < k) installing.push_back({path, "/REGSERVER"});
    if (restored && component) restoring.push_back({path, "/REGSERVER"});
    if (!touched || restored) {
      EXPECT_EQ(ReadFile(path), Original(i));
    } else if (HasBackup(i)) {
      EXPECT_EQ(ReadFile(backup), Original(1));  // could not come back, but is not lost
      continue;
    } else if (i < k) {
      EXPECT_EQ(ReadFile(path), New(i));  // no backup: as the run left it
    } else if (fault == Fault::RegistrationNeverFinds) {
      EXPECT_FALSE(Exists(path));  // replaced by a file that then vanished
    } else {
      EXPECT_EQ(ReadFile(path), Original(i));  // the failed copy removed nothing
    }
    EXPECT_EQ(ReadFile(backup), HasBackup(i) ? "" : "from an earlier update");
  }
  installing.insert(installing.end(), restoring.begin(), restoring.end());
  EXPECT_EQ(processes.started, installing);
  EXPECT_EQ(Unregistrations(), unregistered);
  EXPECT_EQ(ReadFile(root + "blocked"), "a file where a folder must be");
  EXPECT_TRUE(Exists(actionsPath));
  EXPECT_EQ(t.app->ini.Read("temps", "DerniereVersion"), "1.3.0");
  // Nothing left behind by the failed copies.
  for (const auto& e : std::filesystem::recursive_directory_iterator(root))
    EXPECT_FALSE(StartsWith(e.path().filename().string(), ".")) << e.path();
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Fault, int>>& info) {
  static const char* const kNames[] = {"SourceMissing", "TargetUnusable", "NeverFound",
                                       "RestoreError"};
  return kNames[static_cast<int>(std::get<0>(info.param))] +
         std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(
    EachSection, RollbackFault,
    ::testing::Combine(::testing::Values(Fault::SourceMissing, Fault::TargetUnusable,
                                         Fault::RegistrationNeverFinds, Fault::RestoreError),
                       ::testing::Range(1, kSections + 1)),
    CaseName);

// A full file system: the copy fails part-way, the backup comes back, no partial file stays. A
// settings file that cannot take the records of an installation makes it a failure of its own:
// the product stays installed and the next start writes them.
TEST_F(InstallTest, FullFileSystemRollsBackAndUnwrittenRecordsFail) {
  const std::string small = t.dir / "small/";
  MakeDirs(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) {
    const std::string why = "cannot mount a tmpfs here: " + std::string(std::strerror(errno));
    // CI runs as root, where this must run: a skip there would hide the case.
    if (const char* ci = std::getenv("CI"); ci != nullptr && std::string(ci) == "true")
      FAIL() << why;
    GTEST_SKIP() << why;
  }
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{small};
  run.installDir = small;
  WriteFile(small + "big.bin", "original");
  Package("big.bin", std::string(256 * 1024, 'n'));
  WriteActions({{"big.bin", {{"copie", "1"}, {"backup", "1"}}}});
  RunInstall(1);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_NE(Errors()[0].find("No space left on device"), std::string::npos) << Errors()[0];
  EXPECT_EQ(ReadFile(small + "big.bin"), "original");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(small),
                          std::filesystem::directory_iterator()),
            1);

  run.installDir = root;
  Package("big.bin", "new");
  std::filesystem::remove(t.settingsPath());
  MakeDirs(t.settingsPath());  // a folder where the settings file goes
  EXPECT_FALSE(RunInstall(1));
  EXPECT_EQ(Errors(),
            std::vector{t.app->Translate("EnregistrementImpossible") + " " + t.settingsPath()});
  EXPECT_EQ(ReadFile(root + "big.bin"), "new");
  std::filesystem::remove(t.settingsPath());
  EXPECT_TRUE(RecoverInstallation(*t.app, root).ok);
  EXPECT_EQ(t.app->ini.Read("temps", "DerniereVersion"), "1.4.0");
}

}  // namespace
}  // namespace quo::test
