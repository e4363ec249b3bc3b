// An installation, or its recovery, killed (SIGKILL) right after any one of its changes to the
// files: the next start gives back the original product byte for byte, no backup, temporary copy
// or journal left, the component registered again; or, once committed, the whole update recorded.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "install/install_journal.h"
#include "install/recovery.h"
#include "install_fixture.h"
#include "update/update_rig.h"

namespace quo::test {
namespace {

namespace fs = std::filesystem;

struct PowerCut {};  // not a std::exception: nothing in the program catches it

// The real files service stopped right after its cutAt-th change to the files: by a SIGKILL, or
// by a power cut (PowerCut thrown), after which Cut() forgets every change not made durable yet:
// a name created, replaced, renamed or removed until its folder is synced, lines appended until
// their file is.
class CutFiles : public PosixFiles {
 public:
  int cutAt = 0, changes = 0;
  bool kill = true;

  using PosixFiles::Copy;
  void Copy(const std::string& from, const std::string& to, const CopyMode& mode) override {
    Keep(to), PosixFiles::Copy(from, to, mode), Changed();
  }
  void Rename(const std::string& from, const std::string& to) override {
    Keep(from), Keep(to), PosixFiles::Rename(from, to), Changed();
  }
  void Remove(const std::string& path) override { Keep(path), PosixFiles::Remove(path), Changed(); }
  void WriteAtomic(const std::string& path, const std::string& content) override {
    Keep(path), PosixFiles::WriteAtomic(path, content), Changed();
    durable_[path] = content.size();
  }
  void WritePrivate(const std::string& path, const std::string& content) override {
    Keep(path), PosixFiles::WritePrivate(path, content), Changed();
    durable_[path] = content.size();
  }
  void AppendLine(const std::string& path, const std::string& text) override {
    PosixFiles::AppendLine(path, text), Changed();
  }
  void SyncFile(const std::string& path) override {
    PosixFiles::SyncFile(path);
    durable_[path] = fs::file_size(path);
  }
  void SyncDirectory(const std::string& dir) override {
    PosixFiles::SyncDirectory(dir);
    std::erase_if(pending_, [&](const auto& p) { return p.first == dir; });
  }
  // The power comes back: what was not durable is as it was before.
  void Cut() {
    for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) it->second();
    for (const auto& [path, size] : durable_)
      if (fs::exists(path)) fs::resize_file(path, size);
    pending_.clear(), durable_.clear(), cutAt = changes = 0;
  }

 private:
  void Keep(const std::string& path) {
    const auto before = ReadAll(path);
    const fs::perms mode = fs::status(path).permissions();
    pending_.emplace_back(path.substr(0, path.rfind('/') + 1), [path, before, mode] {
      if (!before) return (void)fs::remove(path);
      WriteFile(path, *before);
      fs::permissions(path, mode);
    });
  }
  void Changed() {
    if (++changes == cutAt && kill) ::raise(SIGKILL);
    if (changes == cutAt) throw PowerCut{};
  }

  std::vector<std::pair<std::string, std::function<void()>>> pending_;  // by folder
  std::map<std::string, std::uintmax_t> durable_;
};

class CrashPoint : public InstallTest {
 protected:
  CrashPoint() {
    t.platform.files = &cut, processes.waitDetached = true;
    run.installDir.pop_back();  // as a product may give it: without its last "/"
  }
  // Four sections, each replacing a file with a backup: one in a sub-folder, one a program that
  // registers itself (it logs its calls).
  const std::vector<std::pair<std::string, std::string>> kFiles = {
      {"a.bin", ""}, {"Sub/b.bin", "Sub"}, {"prog", ""}, {"d.bin", ""}};

  std::string Content(const std::string& name, const std::string& version) const {
    if (name != "prog") return version + " " + name;
    return "#!/bin/sh\necho \"" + version + " $1\" >> '" + log + "'\n";
  }
  // The product at 1.3.0 and the downloads of 1.4.0, as before any run.
  void LayOut() {
    cut.Cut();  // counts from nothing (what it puts back goes too)
    fs::remove_all(root), fs::remove_all(run.downloadDir), fs::remove(log);
    fs::remove(t.app->JournalPath()), MakeDirs(root + "Sub"), MakeDirs(run.downloadDir);
    std::vector<PackageSection> sections;
    for (const auto& [path, dir] : kFiles) {
      const std::string name = path.substr(path.rfind('/') + 1);
      WriteFile(root + path, Content(name, "old"));
      Package(name, Content(name, "new"));
      PackageSection s{name, {{"copie", "1"}, {"backup", "1"}, {"destination", dir}}};
      if (name == "prog") s.keys["enregistrement"] = "1", s.keys["type"] = "exeX";
      sections.push_back(s);
    }
    for (const std::string& p : {root + "prog", run.downloadDir + "prog"})
      fs::permissions(p, fs::perms::owner_all);
    WriteActions(sections);
    WriteFile(root + "OLDd.binBack", "older");  // an earlier update's: not this run's to restore
    t.app->ini.Write("temps", "DerniereVersion", "1.3.0");
  }
  // Runs f in a child process killed after its k-th change to the files; false when f ended
  // before that.
  bool KilledAt(int k, const std::function<void()>& f) {
    const pid_t pid = ::fork();
    if (pid == 0) cut.cutAt = k, f(), ::_exit(0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }
  void Installation() { InstallAndRecord(run, view, 4, actionsPath, "1.4.0"); }

  // The next start's recovery, and the product it leaves: the update once committed, else the
  // original.
  void ExpectRecovered(bool committed) {
    const auto journal = ReadJournal(*t.app);
    const bool olderKept = ReadFile(root + "OLDd.binBack") == "older";  // not moved yet
    const RecoveryResult r = RecoverInstallation(*t.app, root);
    EXPECT_TRUE(r.found == journal.has_value() && r.ok) << r.message;
    std::map<std::string, std::string> expected;
    for (const auto& [path, dir] : kFiles) {
      const std::string name = path.substr(path.rfind('/') + 1);
      expected[path] = Content(name, committed ? "new" : "old");
      if (committed)
        expected[(dir.empty() ? "" : dir + "/") + "OLD" + name + "Back"] = Content(name, "old");
    }
    expected["Sub"] = "<dir>";
    if (olderKept && !committed) expected["OLDd.binBack"] = "older";
    EXPECT_EQ(Tree(root), expected);
    EXPECT_FALSE(Exists(t.app->JournalPath()));
    EXPECT_EQ(t.app->ini.Read("temps", "DerniereVersion"), committed ? "1.4.0" : "1.3.0");
    // Whatever was unregistered is registered again: the last call registers.
    const std::string calls = ReadFile(log);
    EXPECT_TRUE(calls.empty() || calls.ends_with("/REGSERVER\n")) << calls;
  }

  std::string log = t.dir / "calls.log";
  CutFiles cut;
};

TEST_F(CrashPoint, AKillAnywhereInTheInstallationOrItsRecoveryIsRecovered) {
  int lastBeforeCommit = 0, k = 1;
  for (;; ++k) {
    SCOPED_TRACE("installation killed at change " + std::to_string(k));
    LayOut();
    if (!KilledAt(k, [&] { Installation(); })) break;
    // Removing the journal was the installation's last act: without it, the update is done.
    const auto journal = ReadJournal(*t.app);
    if (journal && !journal->committed) lastBeforeCommit = k;
    ExpectRecovered(!journal || journal->committed);
  }
  EXPECT_GT(lastBeforeCommit, 20);  // every step of the four sections was a kill point
  EXPECT_GT(k, lastBeforeCommit + 1);
  for (int j = 1;; ++j) {
    SCOPED_TRACE("recovery killed at change " + std::to_string(j));
    LayOut();
    ASSERT_TRUE(KilledAt(lastBeforeCommit, [&] { Installation(); }));
    if (!KilledAt(j, [&] { RecoverInstallation(*t.app, root); })) break;
    ExpectRecovered(false);
  }
}

// A power cut after any change: what the journal says happened did happen, so the next start
// still gives back the original, or the committed update.
TEST_F(CrashPoint, APowerCutLosesOnlyWhatTheJournalCanDoWithout) {
  cut.kill = false;
  for (int k = 1;; ++k) {
    SCOPED_TRACE("power cut after change " + std::to_string(k));
    LayOut();
    cut.cutAt = k;
    try {
      Installation();
      break;
    } catch (const PowerCut&) {
      cut.Cut();
    }
    // Without a journal, the records tell whether it was never begun or its removal was kept.
    const auto journal = ReadJournal(*t.app);
    ExpectRecovered(journal ? journal->committed
                            : t.app->ini.Read("temps", "DerniereVersion") == "1.4.0");
  }
}

// A kill name is no licence to end whatever bears it: the recovery ends a program of the product
// only. A journal that could not be read back (too long, through a link) is never begun.
TEST_F(CrashPoint, ARecoveryEndsOnlyTheProductsProgramsAndAJournalFitsItsCaps) {
  LayOut();
  SleepingChild inside(root, "qin"), outside(t.dir.path(), "qout");
  InstallJournal journal(*t.app);
  std::filesystem::create_directory_symlink(t.dir.path(), root + "Lnk");
  // Paths of plain names in folders, n bytes long at least: only their length is wrong.
  const auto deep = [&](std::size_t n) {
    std::string path = root;
    while (path.size() < n) path += std::string(200, 'a') + "/";
    return path + "a";
  };
  for (const std::string& path : {deep(kJournalLineMax), root + "Lnk/a.bin"})
    EXPECT_THROW(journal.Begin({"1.3.0", "1.4.0", root, {{1, path}}}), Error);
  EXPECT_FALSE(Exists(t.app->JournalPath()));
  const JournalHead head{
      "1.3.0", "1.4.0", root, {{1, root + "a.bin", "", inside.name()}, {2, root + "d.bin", "", outside.name()}}};
  journal.Begin(head), journal.Step("start", 1), journal.Step("start", 2);
  EXPECT_TRUE(RecoverInstallation(*t.app, root).ok);
  EXPECT_TRUE(inside.EndedByKill() && outside.Running());
  // Past its whole cap, of lines each within theirs: set aside, nothing read into memory.
  std::string text = JournalLine({"head", "", "1.4.0", root}) + "\r\n";
  const std::string path = deep(kJournalLineMax - 300);
  for (int k = 1; text.size() <= kJournalMax; ++k)
    text += JournalLine({"plan", std::to_string(k), path, "", "", "", "0"}) + "\r\n";
  WriteFile(t.app->JournalPath(), text);
  EXPECT_FALSE(RecoverInstallation(*t.app, root).ok);
  EXPECT_TRUE(Exists(t.app->JournalPath() + ".refused"));
}

}  // namespace
}  // namespace quo::test
