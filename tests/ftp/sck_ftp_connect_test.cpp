// Opening a session: readiness, the network check, the greeting and PWD replies, address
// forms, active mode, bounded waits and the one-login-per-session rule.
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
  EXPECT_EQ(ftp.URL(), "127.0.0.1");
  EXPECT_EQ(ftp.Pass().size(), 9u);
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
  struct Case {
    std::string text;
    bool ok;
    std::string host;
    int port;
  };
  const Case cases[] = {
      {"ftp.example.org", true, "ftp.example.org", 21},
      {"10.0.0.1:2121", true, "10.0.0.1", 2121},
      {"[::1]", true, "::1", 21},
      {"[::1]:990", true, "::1", 990},
      {"fe80::1", true, "fe80::1", 21},
      {"", false, "", 0},
      {":21", false, "", 0},
      {"[::1", false, "", 0},
      {"[::1]x", false, "", 0},
      {"host:", false, "", 0},
      {"host:0", false, "", 0},
      {"host:65536", false, "", 0},
      {"host:21x", false, "", 0},
      {"user@host", false, "", 0},
  };
  for (const auto& c : cases) {
    const auto a = ParseFtpAddress(c.text, 21);
    ASSERT_EQ(a.has_value(), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(a->host, c.host) << c.text;
    EXPECT_EQ(a->port, c.port) << c.text;
  }
}

TEST(SckFtpConnect, ConnectsOnlyOnGreeting220AndPwd257) {
  struct Case {
    std::vector<std::string> faults;
    bool connected;
  };
  const Case cases[] = {
      {{}, true},
      {{"greeting=421"}, false},
      {{"greeting=230"}, false},
      {{"no-greeting"}, false},
      {{"login-refused"}, false},
      {{"pwd-refused"}, false},
      {{"unanswered=PWD"}, false},
      {{"unanswered=PASS"}, false},
      {{"long-greeting=100"}, true},       // a multi-line greeting
      {{"long-greeting=1000000"}, false},  // curl gives up on a 1 MB reply line
      {{"endless-greeting"}, false},
  };
  for (const auto& c : cases) {
    const std::string name = c.faults.empty() ? "no fault" : c.faults[0];
    FtpFixture f;
    f.Serve(c.faults);
    auto ftp = f.Session();
    const auto start = std::chrono::steady_clock::now();
    ftp->Connect();
    // Limits of a second or two: a silent server must not hold the session much longer.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8)) << name;
    EXPECT_EQ(ftp->Connected(), c.connected) << name;
    EXPECT_FALSE(ftp->Busy()) << name;
    EXPECT_EQ(ftp->ListFile(), "") << name;  // nothing listed without a session
    ftp->Deconnect();
    EXPECT_FALSE(ftp->Connected()) << name;
  }
}

TEST(SckFtpConnect, NetworkCheckFailsFastWithNothingListening) {
  FtpFixture f;
  f.Serve();
  const std::string address = f.server->address();
  f.server.reset();  // the port is closed now
  SckFtp ftp(*f.t.app);
  ftp.SetURL(address);
  ftp.Connect();
  EXPECT_FALSE(ftp.Connected());
  EXPECT_FALSE(ftp.Busy());
  ftp.Deconnect();
  for (const std::string bad : {"[::1", "host:0", ""}) {
    ftp.SetURL(bad);
    ftp.Connect();
    EXPECT_FALSE(ftp.Connected()) << bad;
  }
}

TEST(SckFtpConnect, AcceptsEveryAddressFormAndActiveMode) {
  struct Case {
    std::string host;
    bool portInUrl, passive;
  };
  const Case cases[] = {
      {"127.0.0.1", true, true}, {"127.0.0.1", false, true}, {"::1", true, true},
      {"::1", false, true},      {"127.0.0.1", true, false},
  };
  for (const auto& c : cases) {
    FtpFixture f;
    WriteFile(f.root / "a.txt", "alpha");
    f.Serve({}, c.host);
    auto ftp = f.Session();
    const std::string bracketed =
        c.host.find(':') != std::string::npos ? "[" + c.host + "]" : c.host;
    if (!c.portInUrl) {
      ftp->SetURL(bracketed);
      ftp->SetPort(f.server->port());
    }
    ftp->SetModePassif(c.passive);
    ftp->Connect();
    const std::string what = ftp->URL() + (c.passive ? " passive" : " active");
    ASSERT_TRUE(ftp->Connected()) << what;
    EXPECT_EQ(ftp->ListFile(), "#a.txt") << what;
    EXPECT_EQ(ftp->GetFile("a.txt", false), "") << what;
    EXPECT_EQ(ReadFile(f.local / "a.txt"), "alpha") << what;
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
  ASSERT_TRUE(ftp->Connected());
  ftp->ChangeDirectory("sub");
  EXPECT_EQ(ftp->ListFile(), "#a.txt#b.txt");
  EXPECT_EQ(ftp->GetFile("a.txt", false), "");
  EXPECT_EQ(ftp->GetAllFile(), "Ok");
  EXPECT_EQ(ftp->DelFile("b.txt"), "Ok");
  EXPECT_EQ(f.Logins(), 1) << f.server->log();
  EXPECT_EQ(f.server->log().find("secret"), std::string::npos);
}

TEST(SckFtpConnect, IdleClosedConnectionIsReplacedByOneFreshLogin) {
  FtpFixture f;
  MakeDirs(f.root / "sub");
  WriteFile(f.root / "sub/a.txt", "alpha");
  f.Serve({"idle-close=0.5"});
  auto ftp = f.Connected();
  ASSERT_TRUE(ftp->Connected());
  ftp->ChangeDirectory("sub");
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  // The server said 421 and closed; the next command logs in again and finds its directory.
  EXPECT_EQ(ftp->ListFile(), "#a.txt");
  EXPECT_EQ(f.Logins(), 2) << f.server->log();
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  EXPECT_EQ(ftp->GetFile("a.txt", false), "");
  EXPECT_EQ(ReadFile(f.local / "a.txt"), "alpha");
  EXPECT_EQ(f.Logins(), 3);
}

TEST(SckFtpConnect, DeconnectSaysQuitAndNeverWaitsForTheAnswer) {
  for (const bool silent : {false, true}) {
    FtpFixture f;
    FtpLimits limits = f.service.Limits();
    limits.replyTimeoutSec = 10;
    f.service.SetLimits(limits);
    f.Serve(silent ? std::vector<std::string>{"unanswered=QUIT"} : std::vector<std::string>{});
    auto ftp = f.Connected();
    ASSERT_TRUE(ftp->Connected());
    const auto start = std::chrono::steady_clock::now();
    ftp->Deconnect();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << silent;
    EXPECT_FALSE(ftp->Connected());
    for (int i = 0; i < 100 && f.server->log().find("\nQUIT\n") == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(f.server->log().find("\nQUIT\n"), std::string::npos) << f.server->log();
  }
}

}  // namespace
}  // namespace quo::test
