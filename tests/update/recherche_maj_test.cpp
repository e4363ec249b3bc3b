// The update search against a real FTP server on loopback.
#include "update/recherche_maj.h"

#include <gtest/gtest.h>

#include "update/update_rig.h"

namespace quo::test {
namespace {

// What the search finds, and what the window then says; in automatic mode it closes itself when
// there is nothing to do. Neither an action file of the update root nor an older version list in
// the download folder is taken for the update's.
TEST(RechercheMajTest, FindsTheUpdateOrSaysWhyNot) {
  const std::string actions = UpdateRig::Actions({{"a.dll", false}}), list = "[versions]\r\n";
  const std::string none = T("Aucunenouvelemiseàjourdedisponible");
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
      {"list refused", "retr-refused", "ListMaj.ini", list + "1.2.3=upd124\r\n", none},
      {"login refused", "login-refused", "ListMaj.ini", list + "1.2.3=upd124\r\n",
       T("Impossibledeseconnecterauserveur")},
  };
  for (const bool externe : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what + (externe ? " (automatic)" : ""));
      UpdateRig r(c.fault.empty() ? std::vector<std::string>{} : std::vector{c.fault});
      if (!c.listName.empty()) r.Serve(c.listName, c.list);
      r.Serve("upd124/Actions.ini", actions);
      r.Serve("Actions.ini", "[ordre]\r\nversionActuelle=9.9.9\r\n");
      WriteFile(r.Local("ListMaj.ini"), list + "1.2.3=upd124\r\n");
      r.w->Externe = externe;
      EXPECT_EQ(c.text == found, r.Search());
      EXPECT_EQ(c.text == found ? actions : "", ReadFile(r.Local("Actions.ini")));
      EXPECT_EQ(T(c.text == found ? "Mettreajour" : "Sortir"), (*r.w)["cmdMettreAJour"].Caption());
      EXPECT_EQ(c.text, (*r.w)["lblPhase"].Caption());
      EXPECT_EQ(c.text != found, r.w->Finished());
      EXPECT_EQ(c.text == none, r.w->Succeeded());
      EXPECT_EQ(externe && c.text != found, r.w->Unloaded());
    }
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
}

}  // namespace
}  // namespace quo::test
