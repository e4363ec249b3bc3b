// The update search and the package download against a real FTP server, with real RAR archives.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#if !defined(_WIN32)
#include "support/vsftpd_server.h"
#endif
#include "update/update_rig.h"
#include "writers/rar4_writer.h"

using namespace quo::writers;  // NOLINT: the archive writer's names read as the tests' own

namespace quo::test {
namespace {

const std::string kDate = "06/12/2026 10:00:00";  // the test clock
const std::string kCorrupted = "\r\nActions.ini  " + T("Fichiercorrompue");

std::string RarBytes(const std::vector<Rar4Entry>& entries) { return BuildRar4(entries).bytes; }

// What the search finds, and what the window then says; in automatic mode it closes itself when
// there is nothing to do. Neither an action file of the update root nor an older version list in
// the download folder is taken for the update's. A list or folder the server does not deliver, or
// a server gone, fails the search (the phase starts with the text shown, "@" the server's address).
TEST(SearchUpdatesTest, FindsTheUpdateOrSaysWhyNot) {
  const std::string actions = UpdateRig::Actions({{"a.dll", false}}), list = "[versions]\r\n";
  const std::string none = T("Aucunenouvelemiseàjourdedisponible");
  const std::string unread = T("ListeMajIllisible") + "\r\n";
  const std::string found = T("Denouvellesmisesàjoursontdisponibles");
  struct Case {
    std::string what, fault, listName, list, text;
  };
  const std::vector<Case> cases = {
      {"found", "", "ListMaj.ini", list + "1.2.2=upd123\r\n1.2.3=upd124\r\n", found},
      {"no key for the version", "", "ListMaj.ini", list + "1.2.2=upd123\r\n", none},
      {"empty folder", "", "ListMaj.ini", list + "1.2.3=\r\n", none},
      {"list in lower case", "", "listmaj.ini", list + "1.2.3=upd124\r\n", none},
      {"no list", "", "", "", none},
      {"list refused", "retr-refused", "ListMaj.ini", list + "1.2.3=upd124\r\n",
       unread + T("ErreurFtpIntrouvable") + " RETR ListMaj.ini (550 RETR refused.)"},
      {"listing unanswered", "unanswered=NLST", "ListMaj.ini", list + "1.2.3=upd124\r\n",
       unread + T("ErreurFtpReseau") + " NLST: "},
      {"update folder missing", "", "ListMaj.ini", list + "1.2.3=upd999\r\n",
       T("DossierMajIntrouvable") + " upd999\r\nCWD upd999 (550 "},
      {"login refused", "login-refused", "ListMaj.ini", list + "1.2.3=upd124\r\n",
       T("Impossibledeseconnecterauserveur")},
      {"connection refused", "stopped", "ListMaj.ini", list + "1.2.3=upd124\r\n",
       T("Impossibledeseconnecterauserveur") + "\r\n" + T("ErreurFtpReseau") +
           " connect @: Connection refused"},
  };
  for (const bool launchedByProduct : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what + (launchedByProduct ? " (automatic)" : ""));
      UpdateRig r({c.fault == "stopped" ? "" : c.fault});  // a fault "" is none
      if (c.fault == "stopped") r.server.reset();
      std::string text = c.text;
      if (const auto at = text.find('@'); at != text.npos) text.replace(at, 1, r.run.serverAddress);
      if (!c.listName.empty()) r.Serve(c.listName, c.list);
      r.Serve("upd124/Actions.ini", actions);
      r.Serve("Actions.ini", "[ordre]\r\nversionActuelle=9.9.9\r\n");
      WriteFile(r.Local("ListMaj.ini"), list + "1.2.3=upd124\r\n");
      r.run.launchedByProduct = launchedByProduct;
      EXPECT_EQ(c.text == found, r.Search());
      EXPECT_EQ(c.text == found ? actions : "", ReadFile(r.Local("Actions.ini")));
      EXPECT_EQ(T(c.text == found ? "Mettreajour" : "Sortir"), r.view.action);
      EXPECT_TRUE(r.view.Phase().starts_with(text)) << r.view.Phase();
      EXPECT_EQ(c.text != found, r.run.Finished());
      EXPECT_EQ(c.text == none, r.run.Succeeded());
      EXPECT_EQ(launchedByProduct && c.text != found, r.view.unloaded);
      EXPECT_FALSE(r.view.dots);  // they stop, and every button can be used again
      EXPECT_EQ(3, std::count_if(r.view.enabled.begin(), r.view.enabled.end(),
                                 [](auto& b) { return b.second; }));
    }
  }
}

// With TLS=1 the server's certificate must verify against CA= (a relative name lies in the
// program folder) or the system's authorities, and a server without AUTH TLS is never used in
// clear. A refused connection says why.
#if !defined(_WIN32)  // the TLS server is Linux's vsftpd
TEST(SearchUpdatesTest, TlsNeedsAVerifiedCertificateAndNeverFallsBackToClear) {
  const std::string actions = UpdateRig::Actions({{"a.dll", false}});
  const struct {
    std::string what, ca, says;  // says: in the failure's line ("" when the search succeeds)
    bool vsftpd = true;
  } cases[] = {{"the server's authority", "ca.pem", ""},
               {"another authority", "other.pem", "certificate"},
               {"the system's authorities", "", "certificate"},
               {"a server without AUTH TLS", "ca.pem", "AUTH", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UpdateRig r;
    VsftpdServer tls(r.served.path());
    r.ServeUpdate(actions);
    std::filesystem::copy_file(tls.ca(), r.t.dir / "ca.pem");
    std::filesystem::copy_file(tls.otherCa(), r.t.dir / "other.pem");
    r.t.app->ini.Write("Server", "TLS", "1");
    r.t.app->ini.Write("Server", "CA", c.ca);
    if (c.vsftpd) r.run.serverAddress = tls.address(), r.run.serverUser = "anonymous";
    EXPECT_EQ(r.Search(), c.says.empty()) << tls.log();
    EXPECT_EQ(ReadFile(r.Local("Actions.ini")), c.says.empty() ? actions : "");
    const std::string phase = r.view.Phase();
    const std::string failed = T("Impossibledeseconnecterauserveur") + "\r\n" +
                               r.t.app->Translate("ConnexionSecuriseeImpossible") + " login: ";
    EXPECT_EQ(phase.starts_with(failed) && phase.find(c.says) != phase.npos, !c.says.empty())
        << phase;
    EXPECT_EQ(r.server->log().find("USER"), std::string::npos) << "a login in clear";
  }
}

#endif

// The built-in server must never be contacted by a test: without an FTP service no connection is
// attempted, and the window keeps the address it was given.
TEST(SearchUpdatesTest, AnEmptyAddressBecomesTheDefaultServer) {
  UpdateRig r;
  r.t.platform.ftp = nullptr;
  r.run.serverAddress.clear();
  EXPECT_FALSE(r.Search());
  EXPECT_EQ(QUO_DEFAULT_SERVER, r.run.serverAddress);
}

// An installation folder that depends on the current directory, or does not exist, is refused and
// logged before the search connects, and before the download when it changed since the search.
TEST(SearchUpdatesTest, AnInstallationFolderThatIsNotThereIsRefused) {
  UpdateRig r;
  r.Serve("upd124/a.dll", "a");
  r.ServeUpdate(UpdateRig::Actions({{"a.dll", false}}));
  std::string logged;
  const std::string product = r.Product("");
  for (const std::string& folder : {std::string("prod/"), r.Product("typo/")}) {
    r.run.installDir = product;
    ASSERT_TRUE(r.Search());
    for (const bool search : {false, true}) {
      r.run.installDir = folder;
      search ? (void)r.Search() : r.Update();
      const std::string text =
          T(folder == "prod/" ? "DossierNonAbsolu" : "DossierInstallationAbsent");
      EXPECT_EQ(text + " " + folder, r.view.Phase());
      EXPECT_EQ(RunOutcome::Refused, r.run.Outcome());
      EXPECT_FALSE(Exists(r.Local("a.dll")) || Exists(folder));
      logged += text + " " + folder + "\r\n";
    }
  }
  EXPECT_EQ(logged, ReadFile(r.t.prog("log.txt")));
}

// A server address that is not one (from the settings or the dialog) is refused before anything
// connects, and named.
TEST(SearchUpdatesTest, AnAddressThatIsNotOneIsRefused) {
  for (const std::string bad : {"127.0.0.1#x", "[127.0.0.1]", "::1%lo"}) {
    UpdateRig r;
    r.ServeUpdate(UpdateRig::Actions({{"a.dll", false}}));
    r.run.serverAddress = bad;
    EXPECT_FALSE(r.Search());
    EXPECT_EQ(T("AdresseServeurInvalide") + " " + bad, r.view.Phase());
    EXPECT_EQ(RunOutcome::Refused, r.run.Outcome());
    EXPECT_EQ(T("Sortir"), r.view.action);
  }
}

// The whole run: both packages downloaded (the archive extracted), the download recorded, the
// installation into the product folder, the downloads deleted, the outcome shown.
TEST(DownloadUpdateTest, PlainThenCompressedPackage) {
  UpdateRig r;
  r.Serve("upd124/a.dll", "plain a");
  r.Serve("upd124/b.rar", RarBytes({Rar4File("b.ocx", "ocx"), Rar4File("lib\\x.dll", "x")}));
  r.ServeUpdate(UpdateRig::Actions({{"a.dll", false}, {"b.ocx", true}}));
  ASSERT_TRUE(r.Search());
  r.Update();

  EXPECT_EQ((std::vector<int>{20, 40, 60, 80}), r.view.progress);
  const std::string done = T("Télechargementdesfichiersterminé.");
  EXPECT_EQ(
      (std::vector<std::string>{
          "Téléchargement de a.dll en cours (20.00%)", "Téléchargement de b.ocx en cours (40.00%)",
          done, done + T("Linstallationvadébuter"), T("Installationde") + " a.dll en cours",
          T("Installationde") + " b.ocx en cours"}),
      r.view.tips);
  EXPECT_TRUE(r.view.questions.size() == 1 && r.view.restored);  // asked once, the window back
  EXPECT_EQ("plain a", ReadFile(r.Product("a.dll")));
  EXPECT_EQ("ocx", ReadFile(r.Product("b.ocx")));
  EXPECT_EQ("x", ReadFile(r.Local("lib/x.dll")));  // extracted, named by no section
  EXPECT_EQ(kDate, r.Setting("Telechargement", "DerniereDate"));
  EXPECT_EQ(kDate, r.Setting("temps", "dernier"));
  EXPECT_EQ("1.2.4", r.Setting("temps", "DerniereVersion"));
  EXPECT_EQ(T("Miseajourcorrectementterminée") + "|Sortir", r.view.Phase() + "|" + r.view.action);
  EXPECT_TRUE(r.run.Succeeded() && !r.view.progressShown);

  // A day later, cancelled at the go-ahead: the download is recorded and stays, nothing is
  // installed, and the installation's records are the day before's.
  r.t.system.now.day = 7;
  std::filesystem::remove_all(r.Product(""));
  MakeDirs(r.Product(""));
  ASSERT_TRUE(r.Search());
  r.view.goAhead = false;
  r.Update();
  EXPECT_EQ(T("Miseajourannulée"), r.view.Phase());
  EXPECT_EQ(RunOutcome::Cancelled, r.run.Outcome());
  EXPECT_FALSE(Exists(r.Product("a.dll")));
  EXPECT_EQ("plain a", ReadFile(r.Local("a.dll")));
  EXPECT_EQ("07/12/2026 10:00:00", r.Setting("Telechargement", "DerniereDate"));
  EXPECT_EQ(kDate, r.Setting("temps", "dernier"));

  // Settings that cannot take the download's records stop the run before its installation, and
  // the message says nothing was installed.
  ASSERT_TRUE(r.Search());
  std::filesystem::remove(r.t.settingsPath());
  MakeDirs(r.t.settingsPath());
  r.view.goAhead = true;
  r.Update();
  EXPECT_EQ(RunOutcome::Failed, r.run.Outcome());
  EXPECT_NE(r.run.errorText.find(T("TelechargementNonEnregistre")), std::string::npos);
  EXPECT_FALSE(Exists(r.Product("a.dll")));
}

// Nothing is recorded and nothing installed unless every package arrived whole (one archive entry
// refused is enough to fail). Closing the window during a download: MainWindowTest's tests.
TEST(DownloadUpdateFailure, AFailedPackageStopsTheDownload) {
  struct Case {
    std::string what;
    std::vector<std::pair<std::string, bool>> packages;
  };
  const std::vector<Case> cases = {
      {"missing package", {{"a.dll", false}, {"gone.dll", true}, {"c.dll", false}}},
      {"corrupted second archive", {{"z.dll", true}, {"bad.dll", true}, {"c.dll", false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UpdateRig r;
    r.Serve("upd124/a.dll", "a");
    r.Serve("upd124/c.dll", "c");
    r.Serve("upd124/z.rar", RarBytes({Rar4File("z.dll", "z"), Rar4File("zz\\z2.dll", "z2")}));
    r.Serve("upd124/bad.rar",
            RarBytes({Rar4File("b1.dll", "b1"), Rar4Symlink("b2.dll", "b1.dll")}));
    r.ServeUpdate(UpdateRig::Actions(c.packages));
    ASSERT_TRUE(r.Search());
    r.Download();

    EXPECT_FALSE(Exists(r.Local("c.dll")));
    EXPECT_GT(r.run.errorText.size(), 2u) << r.run.errorText;
    EXPECT_EQ("", r.Setting("Telechargement", "DerniereDate"));
    EXPECT_EQ(-1, r.Installed());
    EXPECT_FALSE(r.run.Succeeded());
    const std::string gone = "\r\n" + T("ErreurFtpIntrouvable") + " RETR gone.rar (550";
    EXPECT_EQ(c.what == "missing package", r.run.errorText.starts_with(gone)) << r.run.errorText;
    if (c.what == "corrupted second archive") {
      EXPECT_EQ("\r\nbad.dll  " + T("Fichiercorrompue"), r.run.errorText);
      // The first archive's files stay extracted, and what the second could give.
      EXPECT_EQ("z2", ReadFile(r.Local("zz/z2.dll")));
      EXPECT_EQ("b1", ReadFile(r.Local("b1.dll")));
      EXPECT_FALSE(Exists(r.Local("b2.dll")));
    }
  }
}

// Action files against the installed version, and action files that are wrong or did not arrive
// (an older copy is never read; the search fails): a clear error or nothing to download, never a
// crash, a hang or a file outside the download and product folders; the outcome shown follows.
TEST(DownloadUpdateActions, VersionsAndBadActionFiles) {
  const std::string head = "[ordre]\r\nversionActuelle=1.2.4\r\n";
  const auto one = [](const std::string& version) {
    return UpdateRig::Actions({{"a.dll", false}}, version);
  };
  struct Case {
    std::string what, actions;
    int nb;  // the sections installed; -1: corrupted, -2: nothing to do, -3: the search failed
    std::string installed = "", folder = "upd124";
  };
  const std::vector<Case> cases = {
      {"older than installed", one("1.2.9"), -2, "1.3.0"},
      {"same as installed", one("1.2.4"), 1, "1.2.4"},
      {"not in its folder", "", -3},
      {"random bytes", std::string("\x13\x00\xfe[ordre\x7f=\r\n\x90", 12), -1},
      {"no version", "[ordre]\r\nnb=1\r\n1=a.dll\r\n", -1},
      {"nb -5", head + "nb=-5\r\n1=a.dll\r\n", -1},
      {"nb 0", head + "nb=0\r\n1=a.dll\r\n", -1},
      {"nb 1000000000", head + "nb=1000000000\r\n1=a.dll\r\n", -1},
      {"name with slash", head + "nb=1\r\n1=../a.dll\r\n", -1},
      {"name with backslash", head + "nb=1\r\n1=..\\a.dll\r\n", -1},
      {"name with colon", head + "nb=1\r\n1=C:a.dll\r\n", -1},
      {"name dotdot", head + "nb=1\r\n1=..\r\n", -1},
      {"name of 300 characters", head + "nb=1\r\n1=" + std::string(300, 'n') + "\r\n", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UpdateRig r;
    r.Serve("upd124/a.dll", "a");
    r.Serve("a.dll", "outside");
    r.Serve("Actions.ini", one("1.2.4"));
    r.Serve("ListMaj.ini", "[versions]\r\n1.2.3=" + c.folder + "\r\n");
    MakeDirs(r.served / "maj/upd124");
    if (!c.actions.empty()) r.Serve("upd124/Actions.ini", c.actions);
    WriteFile(r.Local("Actions.ini"), one("1.2.4"));
    r.t.app->ini.Write("temps", "DerniereVersion", c.installed);
    ASSERT_EQ(c.nb != -3, r.Search());
    if (c.nb != -3) r.Update();
    EXPECT_EQ(c.nb == -1 ? kCorrupted : "", r.run.errorText);
    EXPECT_EQ(std::max(c.nb, -1), r.Installed());
    const std::map<int, std::string> shown = {
        {-3, T("ErreurFtpIntrouvable") + " RETR Actions.ini (550 "},
        {-2, T("Aucunenouvelemiseàjourdedisponible")},
        {-1, T("Deserreursonteutlieus") + "\r\n" + kCorrupted}};
    EXPECT_TRUE(
        r.view.Phase().starts_with(c.nb >= 0 ? T("Miseajourcorrectementterminée") : shown.at(c.nb)))
        << r.view.Phase();
    EXPECT_EQ(c.nb >= 0 || c.nb == -2, r.run.Succeeded());
    // Only the settings file, the two download folders and the product folder.
    for (const auto& [path, content] : Tree(r.t.dir.path()))
      EXPECT_TRUE(path.starts_with("Download") || path.starts_with("prod") ||
                  path == "QuoUpdate.ini")
          << path;
    EXPECT_EQ(c.nb == 1 ? "a" : "", ReadFile(r.Product("a.dll")));
  }
}

}  // namespace
}  // namespace quo::test
