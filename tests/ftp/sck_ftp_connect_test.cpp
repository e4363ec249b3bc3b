// Opening a session: readiness, address forms, the greeting and PWD replies, active mode,
// bounded waits and the one-login-per-session rule.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ftp/ftp_address.h"
#include "ftp_fixture.h"

namespace quo::test {
namespace {

TEST(SckFtpEtat, IsReadyOnlyWithAddressUserPasswordAndPort) {
  TestApp t;
  SckFtp ftp(*t.app);
  EXPECT_EQ(ftp.Etat(), "Prêt");
  ftp.SetUser("");
  EXPECT_EQ(ftp.Etat(), "Manque données");
  ftp.SetUser("u");
  ftp.SetPort(0);
  EXPECT_EQ(ftp.Etat(), "Manque données");
  ftp.SetPort(21);
  ftp.SetPass("");
  EXPECT_EQ(ftp.Etat(), "Manque données");
  ftp.SetPass("p");
  ftp.SetURL("");
  EXPECT_EQ(ftp.Etat(), "Manque données");
}

TEST(FtpAddress, ParsesHostPortAndBracketedIpv6) {
  for (const auto& [text, want] :
       std::vector<std::pair<std::string, std::string>>{{"ftp.example.org", "ftp.example.org 21"},
                                                        {"10.0.0.1:2121", "10.0.0.1 2121"},
                                                        {"[::1]:990", "::1 990"},
                                                        {"fe80::1", "fe80::1 21"}}) {
    const auto a = ParseFtpAddress(text, 21);
    ASSERT_TRUE(a) << text;
    EXPECT_EQ(a->host + " " + std::to_string(a->port), want);
  }
  for (const char* bad :
       {"", ":21", "[::1", "[::1]x", "host:0", "host:65536", "host:21x", "u@host"})
    EXPECT_FALSE(ParseFtpAddress(bad, 21)) << bad;
}

TEST(SckFtpConnect, ConnectsOnlyOnGreeting220AndPwd257WithinTheLimits) {
  const std::pair<std::string, bool> cases[] = {
      {"", true},
      {"greeting=421", false},
      {"greeting=230", false},
      {"no-greeting", false},
      {"login-refused", false},
      {"pwd-refused", false},
      {"unanswered=PWD", false},
      {"unanswered=PASS", false},
      {"long-greeting=100", true},       // a multi-line greeting
      {"long-greeting=1000000", false},  // curl gives up on a 1 MB reply line
      {"endless-greeting", false},
      {"closed port", false},
  };
  for (const auto& [fault, connected] : cases) {
    FtpFixture f;
    const bool closed = fault == "closed port";
    f.Serve(fault.empty() || closed ? std::vector<std::string>{} : std::vector<std::string>{fault});
    auto ftp = f.Session();
    if (closed) f.server.reset();
    const auto start = std::chrono::steady_clock::now();
    ftp->Connect();
    // Limits of a second or two: a silent server must not hold the session much longer.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8)) << fault;
    EXPECT_EQ(ftp->Connected(), connected) << fault;
    EXPECT_FALSE(ftp->Busy()) << fault;
  }
}

TEST(SckFtpConnect, AcceptsEveryAddressFormAndActiveMode) {
  struct Case {
    std::string host;
    bool portInUrl, passive;
  };
  const Case cases[] = {{"127.0.0.1", false, true},
                        {"::1", true, true},
                        {"::1", false, true},
                        {"127.0.0.1", true, false}};
  for (const auto& c : cases) {
    FtpFixture f;
    WriteFile(f.root / "a.txt", "alpha");
    f.Serve({}, c.host);
    auto ftp = f.Session();
    if (!c.portInUrl) {
      ftp->SetURL(c.host == "::1" ? "[::1]" : c.host);
      ftp->SetPort(f.server->port());
    }
    ftp->SetModePassif(c.passive);
    ftp->Connect();
    const std::string what = ftp->URL() + (c.passive ? " passive" : " active");
    EXPECT_EQ(ftp->ListFile(), "#a.txt") << what;
    const std::string log = f.server->log();
    const bool sawActive =
        log.find("\nPORT ") != std::string::npos || log.find("\nEPRT ") != std::string::npos;
    EXPECT_EQ(sawActive, !c.passive) << what << "\n" << log;
  }
}

TEST(SckFtpConnect, OneSessionLogsInOnce) {
  FtpFixture f;
  MakeDirs(f.root / "sub");
  WriteFile(f.root / "sub/a.txt", "alpha");
  WriteFile(f.root / "sub/b.txt", "beta");
  f.Serve();
  auto ftp = f.Connected();
  ftp->ChangeDirectory("sub");
  EXPECT_EQ(ftp->ListFile(), "#a.txt#b.txt");
  EXPECT_EQ(ftp->GetAllFile(), "Ok");
  EXPECT_EQ(ftp->DelFile("b.txt"), "Ok");
  EXPECT_EQ(f.Logins(), 1) << f.server->log();
}

TEST(SckFtpConnect, IdleClosedConnectionIsReplacedByOneFreshLogin) {
  FtpFixture f;
  MakeDirs(f.root / "sub");
  WriteFile(f.root / "sub/a.txt", "alpha");
  f.Serve({"idle-close=0.5"});
  auto ftp = f.Connected();
  ftp->ChangeDirectory("sub");
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  // The server said 421 and closed; the next command logs in again and finds its directory.
  EXPECT_EQ(ftp->ListFile(), "#a.txt");
  EXPECT_EQ(f.Logins(), 2) << f.server->log();
}

TEST(SckFtpConnect, DeconnectSaysQuitAndNeverWaitsForTheAnswer) {
  FtpFixture f;
  FtpLimits limits = f.service.Limits();
  limits.replyTimeoutSec = 10;
  f.service.SetLimits(limits);
  f.Serve({"unanswered=QUIT"});
  auto ftp = f.Connected();
  ASSERT_TRUE(ftp->Connected());
  const auto start = std::chrono::steady_clock::now();
  ftp->Deconnect();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_FALSE(ftp->Connected());
  for (int i = 0; i < 100 && f.server->log().find("\nQUIT\n") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(f.server->log().find("\nQUIT\n"), std::string::npos) << f.server->log();
}

}  // namespace
}  // namespace quo::test
