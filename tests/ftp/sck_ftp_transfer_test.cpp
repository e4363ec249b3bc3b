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

TEST(SckFtpGet, ReplacesAnOlderFileThenDeletesTheServerCopy) {
  FtpFixture f;
  WriteFile(f.root / "pack.rar", Big());
  f.Serve();
  auto ftp = f.Session();
  EXPECT_EQ(ftp->GetFile("pack.rar", true), "");  // not connected: nothing happens
  ftp->Connect();
  EXPECT_EQ(ftp->GetFile("", false), "");
  ftp->SetDossier(f.local.path().substr(0, f.local.path().size() - 1));  // no final slash
  WriteFile(f.local / "pack.rar", "old");
  EXPECT_EQ(ftp->GetFile("pack.rar", true), "");
  EXPECT_EQ(ReadFile(f.local / "pack.rar"), Big());
  EXPECT_FALSE(Exists(f.root / "pack.rar"));
  EXPECT_FALSE(HasPartFile(f.local.path()));
}

TEST(SckFtpGet, FailedDownloadIsReportedAndKeepsTheOlderFile) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "missing.rar"},
      {"retr-refused", "pack.rar"},
      {"drop-after=100000", "pack.rar"},
      {"abort-after=100000", "pack.rar"},
      {"stall-after=100000", "pack.rar"},
      {"unanswered=RETR", "pack.rar"},
  };
  for (const auto& [fault, name] : cases) {
    FtpFixture f;
    WriteFile(f.root / "pack.rar", Big());
    f.Serve(fault.empty() ? std::vector<std::string>{} : std::vector<std::string>{fault});
    auto ftp = f.Connected();
    WriteFile(f.local / name, "old");
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_NE(ftp->GetFile(name, true), "") << fault;
    // The limits are a second here; the defaults (half a minute) would show.
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5)) << fault;
    EXPECT_EQ(ReadFile(f.local / name), "old") << fault;
    EXPECT_FALSE(HasPartFile(f.local.path())) << fault;
    EXPECT_TRUE(Exists(f.root / "pack.rar")) << fault << ": deleted although not downloaded";
    EXPECT_FALSE(ftp->Busy()) << fault;
    // Window events keep running while a transfer hangs (every 50 ms).
    if (fault.starts_with("stall")) {
      EXPECT_GE(f.t.windowing.pumps, 8);
    }
  }
}

TEST(SckFtpGet, AbandonFromTheEventPumpStopsTheTransfer) {
  for (const std::string fault : {"stall-after=100000", "endless"}) {
    FtpFixture f;
    WriteFile(f.root / "pack.rar", Big());
    f.Serve({fault});
    auto ftp = f.Connected();
    WriteFile(f.local / "pack.rar", "old");
    f.t.windowing.onPump = [&] { ftp->Abandon(); };
    EXPECT_NE(ftp->GetFile("pack.rar", false), "") << fault;
    EXPECT_EQ(ReadFile(f.local / "pack.rar"), "old") << fault;
    EXPECT_FALSE(HasPartFile(f.local.path())) << fault;
    // Abandon holds for the rest of the object's life: the window is closing.
    f.t.windowing.onPump = nullptr;
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
  EXPECT_NE(f.Connected()->GetFile("pack.rar", false), "");
  EXPECT_TRUE(std::filesystem::is_empty(f.local.path()));
}

TEST(SckFtpGet, RefusesNamesThatWouldLeaveTheFolder) {
  FtpFixture f;
  MakeDirs(f.root / "sub");
  WriteFile(f.root / "sub/x.txt", "x");
  WriteFile(f.root / "x.txt", "x");
  f.Serve();
  auto ftp = f.Connected();
  MakeDirs(f.local / "in");
  ftp->SetDossier(f.local / "in/");
  for (const std::string name : {"../x.txt", "sub/x.txt", "/x.txt", "sub\\x.txt", "..", "x.txt\n"})
    EXPECT_NE(ftp->GetFile(name, false), "") << name;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.local.path()), {}), 1);  // "in"
  EXPECT_TRUE(std::filesystem::is_empty(f.local / "in"));
}

TEST(SckFtpGetAll, DownloadsEveryListedFileAndStopsAtTheFirstFailure) {
  FtpFixture f;
  WriteFile(f.root / "a.txt", "alpha");
  WriteFile(f.root / "c.txt", "gamma");
  TempDir spare;
  WriteFile(spare / "nlst", "a.txt\r\nmissing.txt\r\nc.txt\r\n");
  f.Serve({"nlst-file=" + spare / "nlst"});
  EXPECT_NE(f.Connected()->GetAllFile(), "");
  EXPECT_EQ(ReadFile(f.local / "a.txt"), "alpha");
  EXPECT_FALSE(Exists(f.local / "c.txt"));

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
  f.Serve({"dele-refused"});
  auto ftp = f.Connected();
  EXPECT_EQ(ftp->DelFile(""), "");
  EXPECT_NE(ftp->DelFile("a.txt"), "");
  EXPECT_NE(ftp->DelAllFile(), "");
  EXPECT_TRUE(Exists(f.root / "a.txt"));

  FtpFixture g;
  WriteFile(g.root / "a.txt", "");
  WriteFile(g.root / "b.txt", "");
  g.Serve();
  auto del = g.Connected();
  EXPECT_EQ(del->DelFile("a.txt"), "Ok");
  EXPECT_NE(del->DelFile("a.txt"), "");  // already gone
  EXPECT_EQ(del->DelAllFile(), "Ok");
  EXPECT_TRUE(std::filesystem::is_empty(g.root.path()));
  // An empty folder: nothing to get or delete.
  EXPECT_EQ(del->GetAllFile(), "");
  EXPECT_EQ(del->DelAllFile(), "");
}

}  // namespace
}  // namespace quo::test
