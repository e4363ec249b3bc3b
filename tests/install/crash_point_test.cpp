// An installation killed (SIGKILL) right after any one of its changes to the files, and a
// recovery killed the same way: the next start gives back the original product byte for byte,
// with no backup, temporary copy or journal left, and the component registered again; or, once
// the journal holds its commit, the whole update, recorded.
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

class CrashPoint : public InstallTest {
 protected:
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
    fs::remove_all(root), fs::remove_all(run.MyDossier), fs::remove(log);
    fs::remove(InstallJournal::PathFor(*t.app));
    MakeDirs(root + "Sub"), MakeDirs(run.MyDossier);
    std::vector<PackageSection> sections;
    for (const auto& [path, dir] : kFiles) {
      const std::string name = path.substr(path.rfind('/') + 1);
      WriteFile(root + path, Content(name, "old"));
      Package(name, Content(name, "new"));
      PackageSection s{name, {{"copie", "1"}, {"backup", "1"}, {"destination", dir}}};
      if (name == "prog") s.keys["enregistrement"] = "1", s.keys["type"] = "exeX";
      sections.push_back(s);
    }
    for (const std::string& p : {root + "prog", run.MyDossier + "prog"}) fs::permissions(p, fs::perms::owner_all);
    WriteActions(sections);
    t.app->ini.Write("temps", "DerniereVersion", "1.3.0");
    files.changes = 0;
  }
  // Runs f in a child process killed after its k-th change to the files; false when f ended
  // before that.
  bool KilledAt(int k, const std::function<void()>& f) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      files.killAt = k;
      f();
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }
  void Installation() { InstallAndRecord(run, view, 4, nomIni, "1.4.0"); }
  void Recovery() { RecoverInstallation(*t.app); }

  // The next start's recovery, and the product it leaves: the update once committed, else the
  // original.
  void ExpectRecovered(bool committed) {
    const auto journal = ReadJournal(*t.app);
    const RecoveryResult r = RecoverInstallation(*t.app);
    EXPECT_TRUE(r.found == journal.has_value() && r.ok) << r.message;
    std::map<std::string, std::string> expected;
    for (const auto& [path, dir] : kFiles) {
      const std::string name = path.substr(path.rfind('/') + 1);
      expected[path] = Content(name, committed ? "new" : "old");
      if (committed) expected[(dir.empty() ? "" : dir + "/") + "OLD" + name + "Back"] = Content(name, "old");
    }
    expected["Sub"] = "<dir>";
    EXPECT_EQ(Tree(root), expected);
    EXPECT_FALSE(Exists(InstallJournal::PathFor(*t.app)));
    EXPECT_EQ(t.app->ini.Read("temps", "DerniereVersion"), committed ? "1.4.0" : "1.3.0");
    // Whatever was unregistered is registered again: the last call registers.
    const std::string calls = Exists(log) ? ReadFile(log) : "";
    EXPECT_TRUE(calls.empty() || calls.ends_with("/REGSERVER\n")) << calls;
  }

  std::string log = t.dir / "calls.log";
};

TEST_F(CrashPoint, AKillAnywhereInTheInstallationOrItsRecoveryIsRecovered) {
  processes.waitDetached = true;
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
    if (!KilledAt(j, [&] { Recovery(); })) break;
    ExpectRecovered(false);
  }
}

}  // namespace
}  // namespace quo::test
