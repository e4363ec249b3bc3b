// A program folder with a download folder, an installation root and an action file, on the real
// files service; the process walk sees only the test's own children.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/text.h"
#include "run/update_run.h"
#include "install/install_sequence.h"
#include "support/child_processes.h"
#include "support/recording_view.h"
#include "support/test_platform.h"

namespace quo::test {

struct PackageSection {
  std::string name;
  std::map<std::string, std::string> keys;
};

// The real files service with hooks that let a test make a step fail at a chosen moment, with
// real file-system effects (a file removed right after its copy, a folder put in a rename's way).
class HookedFiles : public PosixFiles {
 public:
  std::function<void(const std::string& to)> afterCopy;
  std::function<void(const std::string& from, const std::string& to)> beforeRename;

  using PosixFiles::Copy;
  void Copy(const std::string& from, const std::string& to, const CopyMode& mode) override {
    PosixFiles::Copy(from, to, mode);
    if (afterCopy) afterCopy(to);
  }
  void Rename(const std::string& from, const std::string& to) override {
    if (beforeRename) beforeRename(from, to);
    PosixFiles::Rename(from, to);
  }
};

class InstallTest : public ::testing::Test {
 protected:
  InstallTest() {
    t.platform.processes = &processes;
    t.platform.files = &files;
    run.downloadDir = t.dir / "Download/";
    MakeDirs(run.downloadDir);
    root = t.dir / "prod/";
    MakeDirs(root);
    run.installDir = root;
    actionsPath = run.downloadDir + "Actions.ini";
  }

  // Writes the action file: section ordre with nb and the names in order, then each section.
  void WriteActions(const std::vector<PackageSection>& sections, const std::string& nb = "") {
    std::string text = "[ordre]\r\nversionActuelle=1.4.0\r\nnb=" +
                       (nb.empty() ? std::to_string(sections.size()) : nb) + "\r\n";
    for (std::size_t i = 0; i < sections.size(); ++i)
      text += std::to_string(i + 1) + "=" + sections[i].name + "\r\n";
    for (const PackageSection& s : sections) {
      text += "[" + s.name + "]\r\n";
      for (const auto& [k, v] : s.keys) text += k + "=" + v + "\r\n";
    }
    WriteFile(actionsPath, text);
  }
  void Package(const std::string& name, const std::string& content) {
    WriteFile(run.downloadDir + name, content);
  }
  // The installation with its records, as the download runs it.
  bool RunInstall(int nb) {
    run.errorText.clear();
    return InstallAndRecord(run, view, nb, actionsPath, "1.4.0");
  }
  // The messages of errorText, each after a CR LF, without the failure phrase that heads them
  // (the program's runs check it).
  std::vector<std::string> Errors() const {
    std::vector<std::string> out;
    const std::string phrase = t.app->Translate("Echecdelinstallation") + " ";
    for (std::size_t pos = 0; (pos = run.errorText.find("\r\n", pos)) != std::string::npos;) {
      pos += 2;
      std::string line = run.errorText.substr(pos, run.errorText.find("\r\n", pos) - pos);
      out.push_back(StartsWith(line, phrase) ? line.substr(phrase.size()) : line);
    }
    return out;
  }

  TestApp t;
  HookedFiles files;
  ChildProcesses processes;
  UpdateRun run{*t.app};
  RecordingView view;
  std::string root, actionsPath;
};

}  // namespace quo::test
