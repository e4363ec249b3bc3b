// Downloads and deletions against the real server: overwrite, failures of every kind that
// must keep the older local file, names that would write outside the folder, abandon from the
// event pump, GetAllFile stopping at the first failure, refused deletions.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "ftp_fixture.h"

namespace quo::test {
namespace {

std::string Big() { return std::string(3 << 20, 'b'); }

bool HasPartFile(const std::string& dir) {
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    if (e.path().extension() == ".part") return true;
  }
  return false;
}

TEST(SckFtpGet, WritesIntoDossierAndReplacesAnOlderFile) {
  FtpFixture f;
  WriteFile(f.root / "pack.rar", Big());
  f.Serve();
  auto ftp = f.Connected();
  ASSERT_TRUE(ftp->Connected());
  const std::string dossier = f.local.path().substr(0, f.local.path().size() - 1);
  ftp->SetDossier(dossier);
  WriteFile(f.local / "pack.rar", "old");
  EXPECT_EQ(ftp->GetFile("pack.rar", false), "");
  EXPECT_EQ(ftp->Dossier(), dossier + "/");
  EXPECT_EQ(ReadFile(f.local / "pack.rar"), Big());
  EXPECT_TRUE(Exists(f.root / "pack.rar"));
  EXPECT_FALSE(HasPartFile(f.local.path()));
  EXPECT_GT(f.t.windowing.pumps, 0);
  EXPECT_FALSE(ftp->Busy());
}

TEST(SckFtpGet, EmptyNameOrNoSessionDoesNothing) {
  FtpFixture f;
  WriteFile(f.root / "a.txt", "a");
  f.Serve();
  auto ftp = f.Session();
  EXPECT_EQ(ftp->GetFile("a.txt", false), "");  // not connected
  ftp->Connect();
  EXPECT_EQ(ftp->GetFile("", false), "");
  EXPECT_FALSE(Exists(f.local / "a.txt"));
}

TEST(SckFtpGet, FailedDownloadIsReportedAndKeepsTheOlderFile) {
  struct Case {
    std::vector<std::string> faults;
    std::string name;
  };
  const Case cases[] = {
      {{}, "missing.rar"},
      {{"retr-refused"}, "pack.rar"},
      {{"drop-after=100000"}, "pack.rar"},
      {{"abort-after=100000"}, "pack.rar"},
      {{"stall-after=100000"}, "pack.rar"},
      {{"unanswered=RETR"}, "pack.rar"},
  };
  for (const auto& c : cases) {
    const std::string what = c.faults.empty() ? "missing file" : c.faults[0];
    FtpFixture f;
    WriteFile(f.root / "pack.rar", Big());
    f.Serve(c.faults);
    auto ftp = f.Connected();
    ASSERT_TRUE(ftp->Connected()) << what;
    WriteFile(f.local / c.name, "old");
    const auto t0 = std::chrono::steady_clock::now();
    const std::string result = ftp->GetFile(c.name, true);
    // The limits are a second here; the defaults (half a minute) would show.
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5)) << what;
    EXPECT_NE(result, "") << what;
    EXPECT_EQ(ReadFile(f.local / c.name), "old") << what;
    EXPECT_FALSE(HasPartFile(f.local.path())) << what;
    EXPECT_TRUE(Exists(f.root / "pack.rar")) << what << ": deleted although not downloaded";
    EXPECT_FALSE(ftp->Busy()) << what;
    if (what == "stall-after=100000") {
      // Window events kept running during the second the transfer hung (every 50 ms).
      EXPECT_GE(f.t.windowing.pumps, 8) << what;
    }
  }
}

TEST(SckFtpGet, AbandonFromTheEventPumpStopsTheTransfer) {
  for (const std::string fault : {"stall-after=100000", "endless"}) {
    FtpFixture f;
    WriteFile(f.root / "pack.rar", Big());
    f.Serve({fault});
    auto ftp = f.Connected();
    ASSERT_TRUE(ftp->Connected());
    WriteFile(f.local / "pack.rar", "old");
    f.t.windowing.onPump = [&] { ftp->Abandon(); };
    EXPECT_NE(ftp->GetFile("pack.rar", false), "") << fault;
    EXPECT_EQ(ReadFile(f.local / "pack.rar"), "old") << fault;
    EXPECT_FALSE(HasPartFile(f.local.path())) << fault;
    // Abandon holds for the rest of the object's life: the window is closing.
    EXPECT_NE(ftp->GetFile("pack.rar", false), "") << fault;
  }
}

TEST(SckFtpGet, EndlessFileStopsAtTheSizeLimit) {
  FtpFixture f;
  FtpLimits limits = f.service.Limits();
  limits.maxFileBytes = 1 << 20;
  f.service.SetLimits(limits);
  WriteFile(f.root / "pack.rar", "x");
  f.Serve({"endless"});
  auto ftp = f.Connected();
  ASSERT_TRUE(ftp->Connected());
  EXPECT_NE(ftp->GetFile("pack.rar", false), "");
  EXPECT_FALSE(Exists(f.local / "pack.rar"));
  EXPECT_FALSE(HasPartFile(f.local.path()));
}

TEST(SckFtpGet, RefusesNamesThatWouldLeaveTheFolder) {
  FtpFixture f;
  MakeDirs(f.root / "sub");
  WriteFile(f.root / "sub/x.txt", "x");
  WriteFile(f.root / "x.txt", "x");
  f.Serve();
  auto ftp = f.Connected();
  ASSERT_TRUE(ftp->Connected());
  MakeDirs(f.local / "in");
  ftp->SetDossier(f.local / "in/");
  for (const std::string name :
       {"../x.txt", "sub/x.txt", "/x.txt", "sub\\x.txt", "..", ".", "a..b", "x.txt\n", "\x01x"}) {
    EXPECT_NE(ftp->GetFile(name, false), "") << name;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.local.path()),
                          std::filesystem::directory_iterator()),
            1);  // only "in"
  EXPECT_TRUE(std::filesystem::is_empty(f.local / "in"));
  EXPECT_FALSE(ftp->Busy());
}

TEST(SckFtpGet, DelAfterRemovesTheServerFileOnceDownloaded) {
  FtpFixture f;
  WriteFile(f.root / "a.txt", "alpha");
  f.Serve();
  auto ftp = f.Connected();
  ASSERT_TRUE(ftp->Connected());
  EXPECT_EQ(ftp->GetFile("a.txt", true), "");
  EXPECT_EQ(ReadFile(f.local / "a.txt"), "alpha");
  EXPECT_FALSE(Exists(f.root / "a.txt"));
}

TEST(SckFtpGetAll, DownloadsEveryListedFileAndStopsAtTheFirstFailure) {
  FtpFixture f;
  WriteFile(f.root / "a.txt", "alpha");
  WriteFile(f.root / "c.txt", "gamma");
  TempDir spare;
  WriteFile(spare / "nlst", "a.txt\r\nmissing.txt\r\nc.txt\r\n");
  f.Serve({"nlst-file=" + spare / "nlst"});
  auto ftp = f.Connected();
  ASSERT_TRUE(ftp->Connected());
  EXPECT_NE(ftp->GetAllFile(), "");
  EXPECT_EQ(ReadFile(f.local / "a.txt"), "alpha");
  EXPECT_FALSE(Exists(f.local / "c.txt"));
  EXPECT_FALSE(ftp->Busy());

  FtpFixture g;
  WriteFile(g.root / "a.txt", "alpha");
  WriteFile(g.root / "b.rar", "beta");
  g.Serve();
  auto all = g.Connected();
  all->SetFiltre("rar");
  EXPECT_EQ(all->GetAllFile(), "Ok");
  EXPECT_EQ(ReadFile(g.local / "b.rar"), "beta");
  EXPECT_FALSE(Exists(g.local / "a.txt"));
}

TEST(SckFtpDelete, ReportsRefusalsAndDeletesWhatIsListed) {
  FtpFixture f;
  WriteFile(f.root / "a.txt", "");
  WriteFile(f.root / "b.txt", "");
  f.Serve({"dele-refused"});
  auto ftp = f.Connected();
  ASSERT_TRUE(ftp->Connected());
  EXPECT_EQ(ftp->DelFile(""), "");
  EXPECT_NE(ftp->DelFile("a.txt"), "");
  EXPECT_NE(ftp->DelAllFile(), "");
  EXPECT_TRUE(Exists(f.root / "a.txt"));
  EXPECT_FALSE(ftp->Busy());

  FtpFixture g;
  WriteFile(g.root / "a.txt", "");
  WriteFile(g.root / "b.txt", "");
  WriteFile(g.root / "c.txt", "");
  g.Serve();
  auto del = g.Connected();
  ASSERT_TRUE(del->Connected());
  EXPECT_EQ(del->DelFile("a.txt"), "Ok");
  EXPECT_FALSE(Exists(g.root / "a.txt"));
  EXPECT_NE(del->DelFile("a.txt"), "");  // already gone
  EXPECT_EQ(del->DelAllFile(), "Ok");
  EXPECT_TRUE(std::filesystem::is_empty(g.root.path()));
  EXPECT_EQ(g.Logins(), 1);
}

}  // namespace
}  // namespace quo::test
