// Rollback you can trust: section k of n fails in each way, for every k, on real files; every file
// that had a backup must be back byte for byte, the others as the run left them, the downloads
// kept, the installed version unrecorded and every error listed.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>

#include "core/text.h"
#include "install/rollback.h"
#include "install/target_dir.h"
#include "install_fixture.h"

namespace quo::test {
namespace {

enum class Fault { SourceMissing, TargetUnusable, RegistrationNeverFinds, RestoreError };
constexpr int kSections = 3;  // first, middle (without a backup), last

std::string Name(int i) { return "s" + std::to_string(i) + ".bin"; }
std::string Original(int i) { return "original " + std::to_string(i) + std::string(1000, 'o'); }
std::string New(int i) { return "new " + std::to_string(i); }
bool HasBackup(int i) { return i != 2; }

class RollbackFault : public InstallTest,
                      public ::testing::WithParamInterface<std::tuple<Fault, int>> {
 protected:
  // Where section i's file lives before the run: the last one in a sub-folder.
  std::string Dir(int i) const { return i == kSections ? root + "Plugins/" : root; }
};

TEST_P(RollbackFault, EveryBackedUpFileIsBackByteForByte) {
  const auto [fault, k] = GetParam();
  t.app->ini.Write("temps", "DerniereVersion", "1.3.0");
  SleepingChild running(t.dir.path(), "QkRun");
  MakeDirs(root + "Plugins");
  WriteFile(root + "blocked", "a file where a folder must be");

  std::vector<PackageSection> sections;
  for (int i = 1; i <= kSections; ++i) {
    WriteFile(Dir(i) + Name(i), Original(i));
    Package(Name(i), New(i));
    PackageSection s{Name(i), {{"copie", "1"}, {"backup", HasBackup(i) ? "1" : "0"}}};
    if (i == kSections) s.keys["destination"] = "Plugins", s.keys["kill"] = running.name();
    sections.push_back(s);
  }
  const std::string target =
      (fault == Fault::TargetUnusable ? root + "blocked/" : Dir(k)) + Name(k);
  std::vector<std::string> expected;
  switch (fault) {
    case Fault::SourceMissing:
    case Fault::RestoreError:
      std::filesystem::remove(w.MyDossier + Name(k));
      expected.push_back("Cannot open " + w.MyDossier + Name(k) +
                         ": No such file or directoryFichier : " + Name(k));
      break;
    case Fault::TargetUnusable:
      sections[k - 1].keys["destination"] = "blocked";
      expected.push_back("Cannot create a file in " + root +
                         "blocked: Not a directoryFichier : " + Name(k));
      break;
    case Fault::RegistrationNeverFinds:
      sections[k - 1].keys["enregistrement"] = "1";
      sections[k - 1].keys["type"] = "other";
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
  WriteActions(sections);

  RunInstall(kSections);

  EXPECT_EQ(Errors(), expected);
  EXPECT_TRUE(running.EndedByKill());
  for (int i = 1; i <= kSections; ++i) {
    SCOPED_TRACE(Name(i));
    const std::string path = Dir(i) + Name(i), backup = BackupName(Dir(i), Name(i));
    const bool touched = i < k || (i == k && fault != Fault::TargetUnusable);
    if (!touched) {
      EXPECT_EQ(ReadFile(path), Original(i));
    } else if (fault == Fault::RestoreError && i == 1) {
      EXPECT_EQ(ReadFile(backup), Original(1));  // could not come back, but is not lost
      continue;
    } else if (HasBackup(i)) {
      EXPECT_EQ(ReadFile(path), Original(i));
    } else if (i < k) {
      EXPECT_EQ(ReadFile(path), New(i));  // no backup: as the run left it
    } else if (fault == Fault::RegistrationNeverFinds) {
      EXPECT_FALSE(Exists(path));  // replaced by a file that then vanished
    } else {
      EXPECT_EQ(ReadFile(path), Original(i));  // the failed copy removed nothing
    }
    EXPECT_FALSE(Exists(backup));
  }
  EXPECT_EQ(ReadFile(root + "blocked"), "a file where a folder must be");
  for (int i = 1; i <= kSections; ++i) {
    const bool removedByTheTest =
        i == k && (fault == Fault::SourceMissing || fault == Fault::RestoreError);
    EXPECT_EQ(ReadFile(w.MyDossier + Name(i)), removedByTheTest ? "" : New(i)) << i;
  }
  EXPECT_TRUE(Exists(nomIni));
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

// A full file system: the copy fails part-way, the backup comes back, no partial file stays.
TEST_F(InstallTest, FullFileSystemRollsBack) {
  const std::string small = t.dir / "small/";
  MakeDirs(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here";
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{small};
  w.MyInstallationDest = small;
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
}

TEST_F(InstallTest, DeleteDownloadsRemovesOnlyTheFolderOrdinaryFiles) {
  WriteFile(w.MyDossier + "a", "a");
  MakeDirs(w.MyDossier + "sub");
  WriteFile(w.MyDossier + "sub/c", "c");
  WriteFile(w.MyDossier + ".h", "h");
  WriteFile(t.dir / "a", "beside the program");
  // The current directory is not the program folder: the absolute path is used.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(root);
  MakeDirs(root + "Download");
  WriteFile(root + "Download/x", "x");
  DeleteDownloads(w);
  std::filesystem::current_path(cwd);
  EXPECT_FALSE(Exists(w.MyDossier + "a"));
  EXPECT_TRUE(Exists(w.MyDossier + "sub/c"));
  EXPECT_TRUE(Exists(w.MyDossier + ".h"));
  EXPECT_TRUE(Exists(t.dir / "a"));
  EXPECT_TRUE(Exists(root + "Download/x"));
}

}  // namespace
}  // namespace quo::test
