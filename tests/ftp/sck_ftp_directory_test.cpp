// Directory changes and listings against the real server: relative, absolute, "..", missing
// and quoted directories; empty, ordered, filtered and hostile listings.
#include <gtest/gtest.h>

#include "ftp_fixture.h"

namespace quo::test {
namespace {

TEST(SckFtpDirectory, ChangesAndKeepsTheCurrentDirectory) {
  FtpFixture f;
  MakeDirs(f.root / "a/b");
  MakeDirs(f.root / "say \"hi\"");
  WriteFile(f.root / "top.txt", "");
  WriteFile(f.root / "a/in_a.txt", "");
  WriteFile(f.root / "a/b/in_b.txt", "");
  WriteFile(f.root / "say \"hi\"/quoted.txt", "");
  f.Serve();
  auto ftp = f.Connected();
  ASSERT_TRUE(ftp->Connected());
  struct Step {
    std::string newRep, listing;
    bool refused = false;
  };
  const Step steps[] = {
      {"a", "#b#in_a.txt"},                       // relative
      {"b", "#in_b.txt"},                         // relative to the new one
      {"..", "#b#in_a.txt"},                      // parent
      {"missing", "#b#in_a.txt", true},           // refused: unchanged
      {"", "#b#in_a.txt"},                        // no name: stays
      {"/a/b", "#in_b.txt"},                      // absolute
      {"/", "#a#say \"hi\"#top.txt"},             // root
      {"say \"hi\"", "#quoted.txt"},              // a name with quotes (PWD doubles them)
      {"/a/b/../b", "#in_b.txt"},                 // the server resolves the path
      {"top.txt", "#in_b.txt", true},             // a file is no directory
      {"a\r\nDELE in_b.txt", "#in_b.txt", true},  // control characters never reach the server
  };
  for (const auto& s : steps) {
    EXPECT_EQ(ftp->ChangeDirectory(s.newRep).empty(), !s.refused) << s.newRep;
    EXPECT_EQ(ftp->ListFile(), s.listing) << s.newRep;
  }
  EXPECT_TRUE(Exists(f.root / "a/b/in_b.txt"));
}

TEST(SckFtpListing, FilterComparesTheLastThreeCharactersIgnoringCase) {
  struct Case {
    std::string filtre, listing;
  };
  const Case cases[] = {
      {"", "#ListMaj.ini#PACK.RAR#ab#pack.rar#pack.zip#rar"},
      {"RAR", "#PACK.RAR#pack.rar#rar"},
      {".rar", ""},
      {"ab", "#ab"},
  };
  FtpFixture f;
  for (const std::string name : {"ListMaj.ini", "PACK.RAR", "ab", "pack.rar", "pack.zip", "rar"}) {
    WriteFile(f.root / name, "");
  }
  f.Serve();
  auto ftp = f.Connected();
  for (const auto& c : cases) {
    ftp->SetFiltre(c.filtre);
    EXPECT_EQ(ftp->ListFile(), c.listing) << c.filtre;
  }
}

TEST(SckFtpListing, KeepsServerOrderAndSurvivesHostileNames) {
  struct Case {
    std::string raw, listing;
  };
  const Case cases[] = {
      {"b.txt\r\na.txt\r\nListMaj.ini\r\n", "#b.txt#a.txt#ListMaj.ini"},
      {".\r\n..\r\nx\r\n", "#x"},
      {"a#b\r\nc\r\n", "#c"},  // "#" separates entries: such a name is left out
      {"../up\r\nd/e\r\nt\tab\r\n\xff\xfe\r\n", "#../up#d/e#t\tab#\xff\xfe"},
      {"lf1\nno-end", "#lf1#no-end"},
      {"", ""},
  };
  for (const auto& c : cases) {
    FtpFixture f;
    TempDir spare;
    WriteFile(spare / "nlst", c.raw);
    f.Serve({"nlst-file=" + spare / "nlst"});
    EXPECT_EQ(f.Connected()->ListFile(), c.listing) << c.raw;
  }
}

TEST(SckFtpListing, UnansweredListingEndsWithinTheReplyTimeout) {
  FtpFixture f;
  WriteFile(f.root / "a.txt", "");
  f.Serve({"unanswered=NLST"});
  auto ftp = f.Connected();
  EXPECT_EQ(ftp->ListFile(), "");
  // The session logs in again for the next command and works.
  EXPECT_EQ(ftp->GetFile("a.txt", false), "");
}

}  // namespace
}  // namespace quo::test
