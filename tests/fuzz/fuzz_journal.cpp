// Random install journals recovered over a small real product: nothing outside it and the system
// folder changes, and the recovery ends. An input line is a record of tab-separated fields given
// its checksum ("!": kept raw); "@R" is the product folder, "@O" one beside it, "@S" the system's.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "app/app_context.h"
#include "core/text.h"
#include "install/install_journal.h"
#include "install/recovery.h"
#include "platform/posix/base_services.h"
#include "support/child_processes.h"
#include "support/temp_dir.h"

namespace {

using quo::test::WriteFile;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  static const quo::test::TempDir base;
  static const std::string prog = base / "prog/", root = base / "prod/", out = base / "out/",
                           sys = base / "win/system32/";
  for (const char* dir : {"prod", "prog", "win"}) std::filesystem::remove_all(base / dir);
  for (const std::string& dir : {root + "Sub", sys, prog + "Download", out + "Sub"})
    quo::test::MakeDirs(dir);
  for (const std::string& name : {"a.txt", "OLDa.txtBack", "Sub/b.txt", "Sub/OLDb.txtBack"})
    WriteFile(root + name, name);
  WriteFile(sys + "c.dll", "system"), WriteFile(prog + "Download/a.txt", "download");
  static const auto outside = [] {
    ::setenv("PATH", ("/usr/bin:" + sys.substr(0, sys.size() - 1)).c_str(), 1);  // the system folder
    for (const std::string& name : {"victim.txt", "OLDvictim.txtBack", "Sub/x.txt"})
      WriteFile(out + name, name);
    return quo::test::Tree(out);
  }();

  std::string journal;
  for (std::string line : quo::Split(std::string(reinterpret_cast<const char*>(data), size), '\n')) {
    if (line.empty()) continue;
    line = Replace(Replace(Replace(line, "@R", root), "@O", out), "@S", sys);
    journal += (line.starts_with("!") ? line.substr(1) : quo::JournalLine(quo::Split(line, '\t'))) +
               "\r\n";
  }
  WriteFile(prog + "QuoUpdate.journal", journal);

  quo::BaseServices services;
  quo::test::ChildProcesses processes;  // this harness's own children: none
  quo::Platform platform{.files = &services.files, .system = &services.system,
                         .ini = &services.ini, .processes = &processes};
  quo::AppContext app(platform, prog + "QuoUpdate");
  quo::RecoverInstallation(app, root);
  if (quo::test::Tree(out) != outside) std::abort();
  for (const auto& e : std::filesystem::directory_iterator(base.path()))
    if (!std::set<std::string>{"prog", "prod", "out", "win"}.contains(e.path().filename()))
      std::abort();
  return 0;
}
