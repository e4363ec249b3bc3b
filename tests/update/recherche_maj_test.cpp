// The update search against a real FTP server on loopback.
#include "update/recherche_maj.h"

#include <gtest/gtest.h>

#include "ftp/sck_ftp.h"
#include "update/update_rig.h"

namespace quo::test {
namespace {

const std::string kActionsText = UpdateRig::Actions({{"a.dll", false}});

TEST(RechercheMajTest, FindsTheFolderOfTheInstalledVersionAndFetchesItsActionFile) {
  UpdateRig r;
  r.ServeUpdate(kActionsText);
  r.Serve("Actions.ini", "[ordre]\r\nversionActuelle=9.9.9\r\n");  // a decoy in the parent
  WriteFile(r.Local("Actions.ini"), "stale");
  EXPECT_TRUE(r.Search());
  EXPECT_TRUE(r.w->MajDisponible);
  EXPECT_EQ(kActionsText, ReadFile(r.Local("Actions.ini")));
  EXPECT_EQ((std::vector<std::string>{"ListMaj.ini", "Actions.ini"}), r.Retrieved());
  EXPECT_NE(std::string::npos, r.server->log().find("CWD upd124"));
  Control& button = (*r.w)["cmdMettreAJour"];
  EXPECT_EQ(T("Mettreajour"), button.Caption());
  EXPECT_EQ(T("Denouvellesmisesàjoursontdisponibles"), (*r.w)["lblPhase"].Caption());
  for (const char* c : {"cmdOptions", "cmdMettreAJour", "cmdRechercher"})
    EXPECT_TRUE((*r.w)[c].Enabled()) << c;
  EXPECT_FALSE((*r.w)["tmrMvt"].Enabled());
  EXPECT_FALSE((*r.w)["prgPhase"].Visible());
  ASSERT_TRUE(r.w->SessionFtp);  // kept open for the download
  EXPECT_TRUE(r.w->SessionFtp->Connected());
  EXPECT_EQ((std::vector<std::string>{"PulseConnect", "SyncWebsite", ""}), r.w->animations);
  EXPECT_FALSE(r.w->Finished());
}

// Every way of finding nothing: the window says so and, in automatic mode, closes itself.
TEST(RechercheMajTest, NothingFound) {
  struct Case {
    std::string what, list, listName;
  };
  const std::vector<Case> cases = {
      {"no key for the version", "[versions]\r\n1.2.2=upd123\r\n", "ListMaj.ini"},
      {"empty folder", "[versions]\r\n1.2.3=\r\n", "ListMaj.ini"},
      {"key in another section", "[autres]\r\n1.2.3=upd124\r\n", "ListMaj.ini"},
      {"list in lower case", "[versions]\r\n1.2.3=upd124\r\n", "listmaj.ini"},
      {"no list", "", ""},
      {"random bytes", std::string("\x00\xff[versions\x01\r\n=\x80\x81", 16), "ListMaj.ini"},
  };
  for (const bool externe : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what + (externe ? " (automatic)" : ""));
      UpdateRig r;
      if (!c.listName.empty()) r.Serve(c.listName, c.list);
      r.Serve("upd124/Actions.ini", kActionsText);
      r.w->Externe = externe;
      EXPECT_FALSE(r.Search());
      EXPECT_FALSE(r.w->MajDisponible);
      EXPECT_FALSE(Exists(r.Local("Actions.ini")));
      EXPECT_EQ(T("Sortir"), (*r.w)["cmdMettreAJour"].Caption());
      EXPECT_EQ(T("Aucunenouvelemiseàjourdedisponible"), r.w->TextePhase);
      EXPECT_TRUE(r.w->Finished());
      EXPECT_TRUE(r.w->Succeeded());
      EXPECT_EQ(externe, r.w->Unloaded());
      if (externe) {
        EXPECT_FALSE(r.w->SessionFtp);
      }
    }
  }
}

// A version list naming a folder the server does not have: the action file of the update root
// must not be taken for the update's.
TEST(RechercheMajTest, MissingUpdateFolderFetchesNoActionFile) {
  UpdateRig r;
  r.Serve("ListMaj.ini", "[versions]\r\n1.2.3=absent\r\n");
  r.Serve("Actions.ini", kActionsText);
  r.Search();
  EXPECT_FALSE(Exists(r.Local("Actions.ini")));
  for (const std::string& retr : r.Retrieved()) EXPECT_NE(retr, "Actions.ini");
}

TEST(RechercheMajTest, TenThousandSectionsStillFindTheVersion) {
  UpdateRig r;
  std::string list;
  for (int i = 0; i < 10000; ++i) list += "[s" + std::to_string(i) + "]\r\nk=v\r\n";
  r.Serve("ListMaj.ini", list + "[versions]\r\n1.2.3=upd124\r\n");
  r.Serve("upd124/Actions.ini", kActionsText);
  EXPECT_TRUE(r.Search());
}

// A version list or action file that did not arrive is never read from an older copy.
TEST(RechercheMajTest, StaleCopiesAreNotRead) {
  {
    UpdateRig r({"retr-refused"});
    r.ServeUpdate(kActionsText);
    WriteFile(r.Local("ListMaj.ini"), "[versions]\r\n1.2.3=upd124\r\n");
    EXPECT_FALSE(r.Search());
    EXPECT_FALSE(Exists(r.Local("ListMaj.ini")));
    EXPECT_EQ(T("Aucunenouvelemiseàjourdedisponible"), r.w->TextePhase);
  }
  {
    UpdateRig r;
    r.Serve("ListMaj.ini", "[versions]\r\n1.2.3=upd124\r\n");
    MakeDirs(r.served / "maj/upd124");  // no Actions.ini there
    WriteFile(r.Local("Actions.ini"), kActionsText);
    EXPECT_TRUE(r.Search());
    EXPECT_FALSE(Exists(r.Local("Actions.ini")));
  }
  {
    UpdateRig r;
    r.Serve("ListMaj.ini", "[versions]\r\n1.2.3=missing\r\n");
    WriteFile(r.Local("Actions.ini"), kActionsText);
    EXPECT_TRUE(r.Search());
    EXPECT_FALSE(Exists(r.Local("Actions.ini")));
  }
}

TEST(RechercheMajTest, ConnectionFailure) {
  for (const bool externe : {false, true}) {
    SCOPED_TRACE(externe ? "automatic" : "interactive");
    UpdateRig r({"login-refused"});
    r.ServeUpdate(kActionsText);
    r.w->Externe = externe;
    EXPECT_FALSE(r.Search());
    EXPECT_FALSE(r.w->SessionFtp);
    EXPECT_EQ(T("Impossibledeseconnecterauserveur"), (*r.w)["lblPhase"].Caption());
    EXPECT_EQ(T("Sortir"), (*r.w)["cmdMettreAJour"].Caption());
    EXPECT_TRUE((*r.w)["cmdMettreAJour"].Enabled());
    EXPECT_TRUE((*r.w)["cmdRechercher"].Enabled());
    EXPECT_TRUE((*r.w)["cmdOptions"].Enabled());
    EXPECT_TRUE(r.w->Finished());
    EXPECT_FALSE(r.w->Succeeded());
    EXPECT_EQ(externe, r.w->Unloaded());
  }
}

// The built-in server must never be contacted by a test: without an FTP service no connection is
// attempted, and the window keeps the address it was given.
TEST(RechercheMajTest, AnEmptyAddressBecomesTheDefaultServer) {
  UpdateRig r;
  r.t.platform.ftp = nullptr;
  r.w->MyAdresse.clear();
  EXPECT_FALSE(r.Search());
  EXPECT_EQ(QUO_DEFAULT_SERVER, r.w->MyAdresse);
  EXPECT_EQ(T("Impossibledeseconnecterauserveur"), r.w->TextePhase);
}

}  // namespace
}  // namespace quo::test
