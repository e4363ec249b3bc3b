// Every road of an update, with the built program as a separate process, the project's FTP
// server on loopback and real files. Every "kill" names only a process this test started under
// a unique name: the program's process walk is not restricted here.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/program_run.h"
#include "platform/posix/base/posix_system.h"
#include "startup/dates.h"
#include "support/child_processes.h"
#include "support/ftp_server.h"
#include "writers/rar4_writer.h"

using namespace quo::writers;  // NOLINT: the archive writer's names read as the tests' own

namespace quo::test {
namespace {

class UpdateRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDirs(served / "maj/upd");
    Serve("ListMaj.ini", "[versions]\r\n2.1.0=upd\r\n");
    server = std::make_unique<FtpTestServer>(FtpTestServer::Options{.root = served.path()});
  }

  // A file of the update channel (below "maj/" on the server).
  void Serve(const std::string& path, const std::string& content) {
    WriteFile(served / ("maj/" + path), content);
  }
  void Settings(const std::string& address,
                const std::string& temps = "[temps]\r\nfrequence=1\r\n") {
    program.WriteSettings("[Server]\r\nAdresse=" + address +
                          "\r\nUser=quo\r\nMotPasse=secret\r\nChemin=maj\r\n" + temps);
  }
  std::string Setting(const std::string& section, const std::string& key) {
    const std::string text = program.Settings();
    const auto s = text.find("[" + section + "]");
    if (s == std::string::npos) return "";
    const auto k = text.find("\n" + key + "=", s);
    const auto next = text.find("\n[", s + 1);
    if (k == std::string::npos || (next != std::string::npos && k > next)) return "";
    const auto start = k + key.size() + 2;
    return text.substr(start, text.find('\r', start) - start);
  }
  // Launched by the product (Linux form of the command line).
  ProgramResult Launch(std::vector<std::string> extra = {"1036"}) {
    std::vector<std::string> args{"2.1.0", product.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return program.Run(args);
  }
  std::string Product(const std::string& name) { return ReadFile(product / name); }
  bool DownloadsKept() { return Exists(program.dir / "Download/Actions.ini"); }

  ProgramFolder program;
  TempDir product, served;
  std::unique_ptr<FtpTestServer> server;
};

// Five plain sections with backups; the one at `failing` (1-based, 0 for none) targets a folder
// where the product has a file, so its copy cannot be made.
std::string FiveSections(int failing) {
  std::string s = "[ordre]\r\nnb=5\r\nversionActuelle=2.1.1\r\n";
  for (int i = 1; i <= 5; ++i) s += std::to_string(i) + "=f" + std::to_string(i) + ".txt\r\n";
  for (int i = 1; i <= 5; ++i) {
    s += "[f" + std::to_string(i) + ".txt]\r\ncopie=1\r\nbackup=1\r\n";
    if (i == failing) s += "destination=Bloque\r\n";
  }
  return s;
}

TEST_F(UpdateRoad, LaunchedWithACheckDueInstallsTheUpdate) {
  SleepingChild running(product.path(), "qe2e");  // the product's process, to be ended
  Serve("upd/Actions.ini",
        "[ordre]\r\nnb=3\r\nversionActuelle=2.1.1\r\n1=Quorvanta.exe\r\n2=Notes.txt\r\n"
        "3=Greffon.dat\r\n"
        "[Quorvanta.exe]\r\ncopie=1\r\nbackup=1\r\nkill=" +
            running.name() +
            "\r\n"
            "[Notes.txt]\r\ndestination=Docs\r\ncopie=1\r\nbackup=1\r\n"
            "[Greffon.dat]\r\ncompresse=1\r\ndestination=Plugins\\Greffons\r\ncopie=1\r\n");
  Serve("upd/Quorvanta.exe", "exe 2.1.1");
  Serve("upd/Notes.txt", "notes 2.1.1");
  WriteRar4(served / "maj/upd/Greffon.rar", {Rar4File("Greffon.dat", "greffon 2.1.1")});
  WriteFile(product / "Quorvanta.exe", "exe 2.1.0");
  MakeDirs(product / "Docs");
  MakeDirs(product / "Plugins");
  WriteFile(product / "Docs/Notes.txt", "notes 2.1.0");
  Settings(server->address());

  const ProgramResult r = Launch();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(running.EndedByKill()) << "the named process is ended before its file is replaced";
  EXPECT_EQ(Product("Quorvanta.exe"), "exe 2.1.1");
  EXPECT_EQ(Product("OLDQuorvanta.exeBack"), "exe 2.1.0");
  EXPECT_EQ(Product("Docs/Notes.txt"), "notes 2.1.1");
  EXPECT_EQ(Product("Docs/OLDNotes.txtBack"), "notes 2.1.0");
  EXPECT_EQ(Product("Plugins/Greffons/Greffon.dat"), "greffon 2.1.1");
  EXPECT_FALSE(DownloadsKept());
  EXPECT_EQ(Setting("temps", "DerniereVersion"), "2.1.1");
  EXPECT_EQ(Setting("Telechargement", "DerniereVersion"), "2.1.1");
  EXPECT_TRUE(ParseDate(Setting("temps", "dernier"))) << program.Settings();
  EXPECT_TRUE(ParseDate(Setting("Telechargement", "DerniereDate")));
  EXPECT_NE(r.err.find("Mise à jour correctement terminée."), std::string::npos) << r.err;
}

TEST_F(UpdateRoad, NoCheckDueDoesNothing) {
  Serve("upd/Actions.ini", FiveSections(0));
  const std::string today = FormatDate(PosixSystem().Now());
  Settings(server->address(), "[temps]\r\nfrequence=1\r\ndernier=" + today + "\r\n");
  const std::string before = program.Settings();
  const ProgramResult r = Launch({});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(program.Settings(), before);
  EXPECT_EQ(server->log().find("CONNECT"), std::string::npos) << "nothing asked of the server";
  EXPECT_EQ(ReadFile(program.dir / "log.txt"),
            "2.1.0 " + product.path() + "\r\n2.1.0\r\n" + product.path() + "\r\n");
  EXPECT_FALSE(Exists(program.dir / "Download"));
}

TEST_F(UpdateRoad, ForcedLeavesTheInstallationToTheUser) {
  Serve("upd/Actions.ini", FiveSections(0));
  for (int i = 1; i <= 5; ++i) Serve("upd/f" + std::to_string(i) + ".txt", "new");
  Settings(server->address(), "");  // no schedule at all: forced runs ignore it
  const ProgramResult r = Launch({"1036", "1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("De nouvelles mises à jour sont disponibles"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::is_empty(product.path()));
  EXPECT_EQ(Setting("Telechargement", "DerniereVersion"), "");
}

TEST_F(UpdateRoad, ThirdOfFiveSectionsFailsAndIsRolledBack) {
  Serve("upd/Actions.ini", FiveSections(3));
  for (int i = 1; i <= 5; ++i) {
    Serve("upd/f" + std::to_string(i) + ".txt", "new " + std::to_string(i));
    WriteFile(product / ("f" + std::to_string(i) + ".txt"), "old " + std::to_string(i));
  }
  WriteFile(product / "Bloque", "a file where section 3 needs a folder");
  Settings(server->address());

  const ProgramResult r = Launch();
  EXPECT_NE(r.status, 0) << r.err;
  for (int i = 1; i <= 5; ++i)
    EXPECT_EQ(Product("f" + std::to_string(i) + ".txt"), "old " + std::to_string(i)) << i;
  EXPECT_FALSE(Exists(product / "OLDf1.txtBack"));  // put back under its own name
  EXPECT_TRUE(DownloadsKept());
  EXPECT_EQ(Setting("temps", "DerniereVersion"), "");
  EXPECT_TRUE(ParseDate(Setting("temps", "dernier")));
  EXPECT_NE(r.err.find("Des erreurs ont eu lieu"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Fichier : f3.txt"), std::string::npos) << r.err;
}

TEST_F(UpdateRoad, CorruptedArchiveInstallsNothing) {
  Serve("upd/Actions.ini",
        "[ordre]\r\nnb=2\r\nversionActuelle=2.1.1\r\n1=a.txt\r\n2=b.dat\r\n"
        "[a.txt]\r\ncopie=1\r\n[b.dat]\r\ncompresse=1\r\ncopie=1\r\n");
  Serve("upd/a.txt", "a");
  Serve("upd/b.rar", BuildRar4({Rar4File("b.dat", std::string(4096, 'b'))}).TruncatedInData(0));
  Settings(server->address());
  const ProgramResult r = Launch();
  EXPECT_NE(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("b.dat  Fichier corrompu"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::is_empty(product.path()));
  EXPECT_EQ(Setting("Telechargement", "DerniereVersion"), "");
  EXPECT_EQ(Setting("temps", "dernier"), "");
}

TEST_F(UpdateRoad, ServerDownIsReported) {
  Settings("127.0.0.1:" + std::to_string(ClosedPort()));
  const ProgramResult r = Launch();
  EXPECT_NE(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Impossible de se connecter au serveur"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::is_empty(product.path()));
}

TEST_F(UpdateRoad, FifthFieldNamesTheServerForThisRun) {
  Serve("upd/Actions.ini",
        "[ordre]\r\nnb=1\r\nversionActuelle=2.1.1\r\n1=a.txt\r\n[a.txt]\r\ncopie=1\r\n");
  Serve("upd/a.txt", "a 2.1.1");
  const std::string down = "127.0.0.1:" + std::to_string(ClosedPort());
  Settings(down);
  const ProgramResult r = Launch({"1036", "0", server->address()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Product("a.txt"), "a 2.1.1");
  EXPECT_EQ(Setting("Server", "Adresse"), down);  // the settings keep their server
}

}  // namespace
}  // namespace quo::test
