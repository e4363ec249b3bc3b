// FtpConnection against the real server: opening a session within bounded waits, directories and
// listings, downloads that keep the older file unless complete.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include "core/ftp_address.h"
#include "ftp_fixture.h"

namespace quo::test {
namespace {

using Clock = std::chrono::steady_clock;
using Files = std::map<std::string, std::string>;  // a Tree: a .part left behind shows there

std::string Big() { return std::string(3 << 20, 'b'); }
// Nothing was done: no name, no open session, nothing listed.
bool notRun(const FtpResult& r) { return !r.ok && r.error.empty(); }

// Every accepted address is written back (FormatFtpAddress) as a text that reads the same.
TEST(FtpAddress, ParsesHostPortAndBracketedIpv6AndWritesThemBack) {
  for (const auto& [text, want, written] : std::vector<std::array<std::string, 3>>{
           {"ftp.example.org", "ftp.example.org 21", "ftp.example.org"},
           {"10.0.0.1:2121", "10.0.0.1 2121", "10.0.0.1:2121"},
           {"Ftp-2.EXAMPLE:021", "Ftp-2.EXAMPLE 21", "Ftp-2.EXAMPLE"},
           {"[::1]:990", "::1 990", "[::1]:990"},
           {"fe80::1", "fe80::1 21", "[fe80::1]"},
           {"[::ffff:10.0.0.1]", "::ffff:10.0.0.1 21", "[::ffff:10.0.0.1]"},
           {"1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8 21", "[1:2:3:4:5:6:7:8]"},
           {"[1:2:3:4:5:6:7::]:65535", "1:2:3:4:5:6:7:: 65535", "[1:2:3:4:5:6:7::]:65535"}}) {
    const auto a = ParseFtpAddress(text, 21);
    EXPECT_EQ(a ? a->host + " " + std::to_string(a->port) : "invalid", want);
    EXPECT_EQ(a ? FormatFtpAddress(*a, 21) : "invalid", written);
    const auto again = ParseFtpAddress(written, 21);
    EXPECT_TRUE(a && again && again->host == a->host && again->port == a->port) << written;
  }
  for (const char* bad :
       {"", ":21", "[::1", "[::1]x", "[::1]:", "host:0", "host:65536", "host:21x", "u@host",
        "h#x", "h?x", "h%41", "a b", "h\xc3\xa9", "[ftp.example.org]:21", "[1.2.3.4]", "[]",
        "::1]", "fe80::1%eth0", "[::1%25lo]", "[a::b]:2:3", "1::2::3", ":::", "1:2:3:4:5:6:7:8:9",
        "1:2:3:4:5:6:7:8::", "12345::1", "1:", "::1.2.3.256", "::1.2.3", "::1.2.3.4.5", "::g"})
    EXPECT_FALSE(ParseFtpAddress(bad, 21)) << bad;
}

TEST(FtpConnectionConnect, ConnectsOnlyOnGreeting220AndPwd257WithinTheLimits) {
  const std::pair<std::string, bool> cases[] = {
      {"", true}, {"greeting=421", false}, {"greeting=230", false}, {"no-greeting", false},
      {"login-refused", false}, {"pwd-refused", false}, {"unanswered=PWD", false},
      {"unanswered=PASS", false}, {"endless-greeting", false}, {"closed port", false},
      {"long-greeting=100", true},       // a multi-line greeting
      {"long-greeting=1000000", false},  // curl gives up on a 1 MB reply line
  };
  for (const auto& [fault, connected] : cases) {
    FtpFixture f;
    const bool closed = fault == "closed port";
    auto ftp = f.Serve({}, closed ? "" : fault).Session(false);
    if (closed) f.server.reset();
    const auto start = Clock::now();
    ftp->Connect();
    // Limits of a second or two: a silent server must not hold the session much longer.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(8)) << fault;
    EXPECT_EQ(ftp->Connected(), connected) << fault;
  }
}

TEST(FtpConnectionConnect, AcceptsAnIpv6AddressWithItsPort) {
  FtpFixture f;
  EXPECT_EQ(f.Serve({{"a.txt", "alpha"}}, "", "::1").Session()->ListDirectory(), "#a.txt");
}

TEST(FtpConnectionConnect, IdleClosedConnectionIsReplacedByOneFreshLogin) {
  FtpFixture f;
  auto ftp = f.Serve({{"sub/a.txt", "alpha"}}, "idle-close=0.5").Session();
  ftp->ChangeDirectory("sub");
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  // The server said 421 and closed; the next command logs in again and finds its directory.
  EXPECT_EQ(ftp->ListDirectory(), "#a.txt");
  EXPECT_EQ(f.LogLines("LOGIN "), 2) << f.server->log();
}

TEST(FtpConnectionConnect, DisconnectSaysQuitAndNeverWaitsForTheAnswer) {
  FtpFixture f;
  f.service.SetLimits({.replyTimeoutSec = 10});
  auto ftp = f.Serve({}, "unanswered=QUIT").Session();
  const auto start = Clock::now();
  ftp->Disconnect();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_FALSE(ftp->Connected());
  for (int i = 0; i < 100 && f.server->log().find("\nQUIT\n") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NE(f.server->log().find("\nQUIT\n"), std::string::npos) << f.server->log();
}

TEST(FtpConnectionDirectory, ChangesAndKeepsTheCurrentDirectoryInOneLogin) {
  FtpFixture f;
  auto ftp = f.Serve({{"top.txt", ""}, {"a/in_a.txt", ""}, {"a/b/in_b.txt", ""},
#if !defined(_WIN32)  // no quote in a Windows name
                      {"say \"hi\"/quoted.txt", ""}
#endif
                     }).Session();
  const struct {
    std::string dir, listing;
    bool refused = false;
  } steps[] = {
      {"a", "#b#in_a.txt"},                       // relative
      {"b", "#in_b.txt"},                         // relative to the new one
      {"..", "#b#in_a.txt"},                      // parent
      {"missing", "#b#in_a.txt", true},           // refused: unchanged
      {"", "#b#in_a.txt"},                        // no name: stays
      {"/a/b", "#in_b.txt"},                      // absolute
#if defined(_WIN32)
      {"/", "#a#top.txt"},  // root
#else
      {"/", "#a#say \"hi\"#top.txt"},             // root
      {"say \"hi\"", "#quoted.txt"},              // a name with quotes (PWD doubles them)
#endif
      {"/a/b/../b", "#in_b.txt"},                 // the server resolves the path
      {"top.txt", "#in_b.txt", true},             // a file is no directory
      {"a\r\nDELE in_b.txt", "#in_b.txt", true},  // control characters never reach the server
  };
  for (const auto& s : steps) {
    EXPECT_EQ(ftp->ChangeDirectory(s.dir).ok, !s.refused) << s.dir;
    EXPECT_EQ(ftp->ListDirectory(), s.listing) << s.dir;
  }
  EXPECT_TRUE(Exists(f.root / "a/b/in_b.txt"));
  EXPECT_EQ(f.LogLines("LOGIN "), 1) << f.server->log();
}

TEST(FtpConnectionListing, KeepsServerOrderAndSurvivesHostileNames) {
  const std::pair<std::string, std::string> cases[] = {
      {"b.txt\r\na.txt\r\nListMaj.ini\r\n", "#b.txt#a.txt#ListMaj.ini"},
      {".\r\n..\r\nx\r\n", "#x"}, {"lf1\nno-end", "#lf1#no-end"}, {"", ""},
      {"a#b\r\nc\r\n", "#c"},  // "#" separates entries: such a name is left out
      {"../up\r\nd/e\r\nt\tab\r\n\xff\xfe\r\n", "#../up#d/e#t\tab#\xff\xfe"},
  };
  for (const auto& [raw, listing] : cases) {
    FtpFixture f;
    EXPECT_EQ(f.Serve({}, f.Listing(raw)).Session()->ListDirectory(), listing) << raw;
  }
  // A listing never answered ends within the reply timeout; the next command logs in again.
  FtpFixture f;
  auto ftp = f.Serve({{"a.txt", ""}}, "unanswered=NLST").Session();
  EXPECT_EQ(ftp->ListDirectory(), "");
  EXPECT_TRUE(ftp->DownloadFile("a.txt").ok);
}

TEST(FtpConnectionDownload, ReplacesAnOlderFileInOneLogin) {
  FtpFixture f;
  auto ftp = f.Serve({{"pack.rar", Big()}}).Session(false);
  EXPECT_TRUE(notRun(ftp->DownloadFile("pack.rar")) && notRun(ftp->ChangeDirectory("sub")));
  ftp->Connect();
  EXPECT_TRUE(notRun(ftp->DownloadFile("")));
  ftp->SetLocalDir(f.local.path().substr(0, f.local.path().size() - 1));  // no final slash
  WriteFile(f.local / "pack.rar", "old");
  WriteFile(f.spare / "outside", "keep");  // a link at the partial file's name is not followed
  FtpFixture::Link(f.spare / "outside", f.local / "pack.rar.part");
  EXPECT_TRUE(ftp->DownloadFile("pack.rar").ok);
  EXPECT_TRUE(Tree(f.local.path()) == (Files{{"pack.rar", Big()}}));
  EXPECT_TRUE(ReadFile(f.spare / "outside") == "keep");
  EXPECT_EQ(f.LogLines("LOGIN "), 1) << f.server->log();
}

// Abandon from the event pump (the window closes) stops the transfer and every later one.
TEST(FtpConnectionDownload, FailedOrAbandonedDownloadIsReportedAndKeepsTheOlderFile) {
  const struct {
    std::string fault, name;
    bool abandon = false;
  } cases[] = {
      {"", "missing.rar"}, {"retr-refused", "pack.rar"}, {"drop-after=100000", "pack.rar"},
      {"abort-after=100000", "pack.rar"}, {"stall-after=100000", "pack.rar"},
      {"unanswered=RETR", "pack.rar"}, {"endless", "pack.rar"},  // stops at the size limit
      {"stall-after=100000", "pack.rar", true}, {"endless", "pack.rar", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault + (c.abandon ? " abandoned" : ""));
    FtpFixture f;
    if (c.abandon) f.service.SetLimits({.lowSpeedTimeSec = 1});  // no size limit: Abandon ends it
    auto ftp = f.Serve({{"pack.rar", Big()}}, c.fault).Session();
    WriteFile(f.local / c.name, "old");
    WriteFile(f.spare / "outside", "keep");
    FtpFixture::Link(f.spare / "outside", f.local / (c.name + ".part"));
    if (c.abandon) f.t.windowing.onPump = [&] { ftp->Abandon(); };
    const int pumps = f.t.windowing.pumps;
    const auto t0 = Clock::now();
    EXPECT_NE(ftp->DownloadFile(c.name).error, "");
    // The limits are a second here; the defaults (half a minute) would show.
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(5));
    EXPECT_EQ(Tree(f.local.path()), (Files{{c.name, "old"}}));
    EXPECT_TRUE(ReadFile(f.spare / "outside") == "keep");
    // Window events keep running while a transfer hangs (every 50 ms).
    EXPECT_GE(f.t.windowing.pumps - pumps, c.fault.starts_with("stall") && !c.abandon ? 8 : 0);
    if (c.abandon) {
      f.t.windowing.onPump = nullptr;
      EXPECT_NE(ftp->DownloadFile(c.name).error, "");
      EXPECT_EQ(f.LogLines("RETR "), 1) << "a transfer after Abandon must not even start";
    }
  }
}

TEST(FtpConnectionDownload, RefusesNamesThatWouldLeaveTheFolder) {
  FtpFixture f;
  // The server has the files, so only the local name check stops them.
  auto ftp = f.Serve({{"x.txt", "x"}, {"sub\\x.txt", "x"},
#if !defined(_WIN32)  // a Windows name ends in no dot
                      {"...", "x"}
#endif
                     }).Session();
  MakeDirs(f.local / "in");
  ftp->SetLocalDir(f.local / "in/");
  for (const std::string name :
       {"../x.txt", "sub/x.txt", "/x.txt", "sub\\x.txt", "..", "...", "x.txt\n"})
    EXPECT_NE(ftp->DownloadFile(name).error, "") << name;
  EXPECT_EQ(Tree(f.local.path()), (Files{{"in", "<dir>"}}));
}

}  // namespace
}  // namespace quo::test
