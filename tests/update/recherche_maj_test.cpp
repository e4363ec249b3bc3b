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
  EXPECT_EQ(T("Mettreajour"), (*r.w)["cmdMettreAJour"].Caption());
  EXPECT_EQ(T("Denouvellesmisesàjoursontdisponibles"), (*r.w)["lblPhase"].Caption());
  ASSERT_TRUE(r.w->SessionFtp);  // kept open for the download
  EXPECT_TRUE(r.w->SessionFtp->Connected());
  EXPECT_FALSE(r.w->Finished());
}

// Every way of finding nothing: the window says so and, in automatic mode, closes itself. An
// older version list in the download folder is never read.
TEST(RechercheMajTest, NothingFound) {
  const std::string list = "[versions]\r\n1.2.3=upd124\r\n";
  const std::string none = T("Aucunenouvelemiseàjourdedisponible");
  struct Case {
    std::string what, fault, listName, list, text;
  };
  const std::vector<Case> cases = {
      {"no key for the version", "", "ListMaj.ini", "[versions]\r\n1.2.2=upd123\r\n", none},
      {"empty folder", "", "ListMaj.ini", "[versions]\r\n1.2.3=\r\n", none},
      {"list in lower case", "", "listmaj.ini", list, none},
      {"no list", "", "", "", none},
      {"list refused", "retr-refused", "ListMaj.ini", list, none},
      {"login refused", "login-refused", "ListMaj.ini", list,
       T("Impossibledeseconnecterauserveur")},
  };
  for (const bool externe : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what + (externe ? " (automatic)" : ""));
      UpdateRig r(c.fault.empty() ? std::vector<std::string>{} : std::vector{c.fault});
      if (!c.listName.empty()) r.Serve(c.listName, c.list);
      r.Serve("upd124/Actions.ini", kActionsText);
      WriteFile(r.Local("ListMaj.ini"), list);
      r.w->Externe = externe;
      EXPECT_FALSE(r.Search());
      EXPECT_FALSE(Exists(r.Local("Actions.ini")));
      EXPECT_EQ(T("Sortir"), (*r.w)["cmdMettreAJour"].Caption());
      EXPECT_EQ(c.text, (*r.w)["lblPhase"].Caption());
      EXPECT_EQ(c.text == none, r.w->Succeeded());
      EXPECT_EQ(externe, r.w->Unloaded());
    }
  }
}

// A version list naming a folder the server does not have: neither the action file of the update
// root nor an older local copy may be taken for the update's.
TEST(RechercheMajTest, MissingUpdateFolderFetchesNoActionFile) {
  UpdateRig r;
  r.Serve("ListMaj.ini", "[versions]\r\n1.2.3=absent\r\n");
  r.Serve("Actions.ini", kActionsText);
  WriteFile(r.Local("Actions.ini"), kActionsText);
  r.Search();
  EXPECT_FALSE(Exists(r.Local("Actions.ini")));
  EXPECT_EQ((std::vector<std::string>{"ListMaj.ini"}), r.Retrieved());
}

// The built-in server must never be contacted by a test: without an FTP service no connection is
// attempted, and the window keeps the address it was given.
TEST(RechercheMajTest, AnEmptyAddressBecomesTheDefaultServer) {
  UpdateRig r;
  r.t.platform.ftp = nullptr;
  r.w->MyAdresse.clear();
  EXPECT_FALSE(r.Search());
  EXPECT_EQ(QUO_DEFAULT_SERVER, r.w->MyAdresse);
}

}  // namespace
}  // namespace quo::test
