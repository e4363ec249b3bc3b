// Verified updates against a real FTP server: what trusted keys let through, the package facts
// any action file may give, continued downloads, the room check and the floor on the rate.
#include <gtest/gtest.h>

#include <functional>

#include "core/base64.h"
#include "update/download_files.h"
#include "support/test_key.h"
#include "update/update_rig.h"
#include "writers/rar4_writer.h"

namespace quo::test {
namespace {

struct NoRoom : NativeFiles {
  std::optional<Room> FreeSpace(const std::string&) override { return Room{100000, 1}; }
};

// Version 1.2.4 for 1.2.3: a.dll plain, b.dll in b.rar, each with its facts; the list and the
// action file signed by key, which the settings trust.
struct SignedRig : UpdateRig {
  using UpdateRig::UpdateRig;
  TestKey key, other;
  std::string a = std::string(70000, 'a'), rar = writers::BuildRar4({{"b.dll", "bee"}}).bytes;
  std::string version = "1.2.4", startVersions, factsA, factsB, nb = "2", tail;
  std::string Actions() const {
    return "[ordre]\r\nversionActuelle=" + version + "\r\n" + startVersions + "nb=" + nb + "\r\n1=a.dll\r\n2=b.dll\r\n" +
           "[a.dll]\r\ncopie=1\r\n" +
           (factsA.empty() ? "sha256=" + Sha256Hex(a) + "\r\ntaille=" + std::to_string(a.size()) : factsA) +
           "\r\n[b.dll]\r\ncompresse=1\r\ncopie=1\r\n" +
           (factsB.empty() ? "sha256=" + Sha256Hex(rar) + "\r\ntaille=" + std::to_string(rar.size()) : factsB) + "\r\n" + tail;
  }
  // The served file (and its signature) made exactly size bytes long by a comment at its end.
  void Pad(const std::string& file, long long size) {
    std::string text = ReadFile(served / ("maj/" + file));
    text += "\r\n;" + std::string(static_cast<std::size_t>(size) - text.size() - 3, 'x');
    Serve(file, text);
    Serve(file + ".sig", key.Sign(text));
  }
  void Publish(const TestKey& by) {
    ServeUpdate(Actions());
    Serve("upd124/a.dll", a);
    Serve("upd124/b.rar", rar);
    Serve("ListMaj.ini.sig", by.Sign(ReadFile(served / "maj/ListMaj.ini")));
    Serve("upd124/Actions.ini.sig", by.Sign(Actions()));
  }
};

TEST(VerifiedUpdateTest, OnlyWhatThePublisherSignedIsInstalled) {
  using O = RunOutcome;
  const auto sig = [](SignedRig& r, const std::string& s) { r.Serve("upd124/Actions.ini.sig", s); };
  struct Case {
    std::string what;
    std::function<void(SignedRig&)> change;  // after the signed publication
    O outcome;
    std::string says;  // in the phase or the errors
    std::vector<std::string> faults = {};
    std::string logHas = "";  // in the server's log
    int fetchesOfA = -1;      // RETR a.dll in the server's log (-1: not counted)
  };
  const std::vector<Case> cases = {
      {"signed", [](SignedRig&) {}, O::Installed, ""},
      {"trusted second", [](SignedRig& r) { r.t.app->ini.Write("Server", "CleSignature", Base64Encode(r.other.pub) + " , " + Base64Encode(r.key.pub)); }, O::Installed, ""},
      {"half a .part kept", [](SignedRig& r) { WriteFile(r.Local("a.dll.part"), r.a.substr(0, 35000)); }, O::Installed, "", {}, "REST 35000", 1},
      {"a .part of other bytes", [](SignedRig& r) { WriteFile(r.Local("a.dll.part"), std::string(35000, 'x')); }, O::Installed, "", {}, "REST 35000", 2},
      {".part linked to a product file", [](SignedRig& r) { std::filesystem::create_hard_link(r.Product("keep.txt"), r.Local("a.dll.part")); }, O::Installed, ""},
      {".part longer than taille", [](SignedRig& r) { WriteFile(r.Local("a.dll.part"), r.a + "a"); }, O::Installed, ""},
      {"versionsDepart names it", [](SignedRig& r) { r.startVersions = "versionsDepart=1.2.2, 1.2.3\r\n", r.Publish(r.key); }, O::Installed, ""},
      {"package changed", [](SignedRig& r) { r.Serve("upd124/a.dll", "b" + r.a.substr(1)); }, O::Failed, "EmpreinteDifferente"},
      {"package a byte longer", [](SignedRig& r) { r.Serve("upd124/a.dll", r.a + "a"); }, O::Failed, "ErreurFtpTropGrand"},
      {"list at the cap", [](SignedRig& r) { r.Pad("ListMaj.ini", kMaxListBytes); }, O::Installed, ""},
      {"list a byte past the cap", [](SignedRig& r) { r.Pad("ListMaj.ini", kMaxListBytes + 1); }, O::Failed, "ErreurFtpTropGrand"},
      {"list a byte past, no size", [](SignedRig& r) { r.Pad("ListMaj.ini", kMaxListBytes + 1); }, O::Failed, "ErreurFtpTropGrand", {"size-refused"}},
      {"action file a byte past", [](SignedRig& r) { r.Pad("upd124/Actions.ini", kMaxListBytes + 1); }, O::Failed, "ErreurFtpTropGrand"},
      {"signature at the cap", [&](SignedRig& r) { sig(r, (r.key.Sign(r.Actions()) + std::string(4096, ' ')).substr(0, kMaxSignatureBytes)); }, O::Installed, ""},
      {"signature a byte past", [&](SignedRig& r) { sig(r, r.key.Sign(r.Actions()) + std::string(4096, ' ')); }, O::Refused, "ErreurFtpTropGrand"},
      {"nb past the section counter", [](SignedRig& r) { r.nb = "2147483647", r.Publish(r.key); }, O::Refused, "Fichiercorrompue"},
      {"a package named nowhere, its facts in []", [](SignedRig& r) { r.nb = "3", r.tail = "[]\r\nsha256=" + Sha256Hex("") + "\r\ntaille=0\r\n", r.Publish(r.key); }, O::Refused, "Fichiercorrompue"},
      {"an archive entry named Actions.ini", [](SignedRig& r) { r.rar = writers::BuildRar4({{"b.dll", "bee"}, {"Actions.ini", "[ordre]"}}).bytes, r.Publish(r.key); }, O::Failed, "Fichiercorrompue"},
      {"an archive entry named like another package", [](SignedRig& r) { r.rar = writers::BuildRar4({{"b.dll", "bee"}, {"A.DLL.", "x"}}).bytes, r.Publish(r.key); }, O::Failed, "Fichiercorrompue"},
      {"package a byte shorter", [](SignedRig& r) { r.Serve("upd124/a.dll", r.a.substr(1)); }, O::Failed, "TailleDifferente"},
      {"archive changed", [](SignedRig& r) { r.rar.back() ^= 1; r.Serve("upd124/b.rar", r.rar); }, O::Failed, "EmpreinteDifferente"},
      {"action file changed", [](SignedRig& r) { r.Serve("upd124/Actions.ini", r.Actions() + " "); }, O::Refused, "SignatureInvalide"},
      {"no Actions.ini.sig", [](SignedRig& r) { std::filesystem::remove(r.served / "maj/upd124/Actions.ini.sig"); }, O::Refused, "SignatureAbsente"},
      {"no ListMaj.ini.sig", [](SignedRig& r) { std::filesystem::remove(r.served / "maj/ListMaj.ini.sig"); }, O::Refused, "SignatureAbsente"},
      {"signed by another key", [](SignedRig& r) { r.Publish(r.other); }, O::Refused, "SignatureInvalide"},
      {"signature not base64", [&](SignedRig& r) { sig(r, "%%%%\r\n"); }, O::Refused, "SignatureInvalide"},
      {"signature cut short", [&](SignedRig& r) { sig(r, Base64Encode(std::string(63, 'x'))); }, O::Refused, "SignatureInvalide"},
      {"a key that is not one", [](SignedRig& r) { r.t.app->ini.Write("Server", "CleSignature", "AAAA"); }, O::Refused, "CleSignatureInvalide"},
      {"the installed version", [](SignedRig& r) { r.version = "1.2.3", r.Publish(r.key); }, O::Refused, "MajPasPlusRecente"},
      {"an older version", [](SignedRig& r) { r.version = "1.2.2", r.Publish(r.key); }, O::Refused, "MajPasPlusRecente"},
      {"versionsDepart without it", [](SignedRig& r) { r.startVersions = "versionsDepart=1.2.1,1.2.2\r\n", r.Publish(r.key); }, O::Refused, "VersionDepartNonPrevue"},
      {"a package without facts", [](SignedRig& r) { r.factsB = "taille=3", r.Publish(r.key); }, O::Refused, "PaquetSansEmpreinte"},
      {"no room", [](SignedRig& r) { static NoRoom small; r.t.platform.files = &small; }, O::Failed, "EspaceInsuffisant"},
      {"unsigned, no key", [](SignedRig& r) { r.t.app->ini.Write("Server", "CleSignature", ""); }, O::Installed, ""},
      {"unsigned, cut short", [](SignedRig& r) { r.t.app->ini.Write("Server", "CleSignature", ""); }, O::Failed, "TailleDifferente", {"size-refused", "short-after=40000"}},
      {"unsigned, no taille: the server's size", [](SignedRig& r) { r.t.app->ini.Write("Server", "CleSignature", ""), r.factsA = ";", r.Publish(r.key); }, O::Installed, ""},
      {"unsigned, no size at all, cut short", [](SignedRig& r) { r.t.app->ini.Write("Server", "CleSignature", ""), r.factsA = ";", r.Publish(r.key); }, O::Failed, "ErreurFtpSansTaille", {"size-refused", "short-after=40000"}},
      {"unsigned, sha256 not hex", [](SignedRig& r) { r.t.app->ini.Write("Server", "CleSignature", ""), r.factsB = "sha256=" + std::string(64, 'g'), r.Publish(r.key); }, O::Failed, "Fichiercorrompue"},
      {"unsigned, taille beyond 8 GiB", [](SignedRig& r) { r.t.app->ini.Write("Server", "CleSignature", ""), r.factsB = "taille=8589934593", r.Publish(r.key); }, O::Failed, "Fichiercorrompue"},
      {"slower than the floor", [](SignedRig& r) { r.t.app->ini.Write("Server", "DebitMinimal", "100000"); }, O::Failed, "ErreurFtpReseau", {"throttle=10000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SignedRig r(c.faults);
    r.ftp.SetLimits({.connectTimeoutMs = 2000, .replyTimeoutSec = 2, .lowSpeedTimeSec = 2, .minRateAfterSec = 1});
    r.t.app->ini.Write("Server", "CleSignature", Base64Encode(r.key.pub));
    r.Publish(r.key);
    WriteFile(r.Local("old.dll"), "left by an earlier run");
    WriteFile(r.Product("keep.txt"), "precious");
    c.change(r);
    const bool found = r.Search();
    if (found) r.Update();
    EXPECT_EQ(c.outcome, r.run.Outcome());
    const std::string told = r.view.Phase() + r.run.errorText;
    EXPECT_NE(std::string::npos, told.find(c.says.empty() ? "" : T(c.says))) << told;
    EXPECT_TRUE((c.outcome == O::Installed ? r.a : "") == ReadFile(r.Product("a.dll")));
    EXPECT_TRUE(ReadFile(r.Product("keep.txt")) == "precious");
    EXPECT_EQ(c.outcome == O::Installed ? "bee" : "", ReadFile(r.Product("b.dll")));
    const bool keyed = !r.Setting("Server", "CleSignature").empty();
    EXPECT_EQ(keyed ? 0u : 1u, r.view.warnings.size());
    // A verified update leaves nothing an earlier run brought where packages are taken from.
    // (a successful installation empties them anyway).
    EXPECT_EQ((keyed && found && c.outcome != O::Refused) || c.outcome == O::Installed,
              !std::filesystem::exists(r.Local("old.dll")));
    const std::string log = r.server->log();
    EXPECT_NE(std::string::npos, log.find(c.logHas));
    const auto fetchesOfA = std::ranges::count(Split(log, '\n'), "RETR a.dll");
    EXPECT_TRUE(c.fetchesOfA < 0 || c.fetchesOfA == fetchesOfA) << fetchesOfA;
    EXPECT_FALSE(c.outcome == O::Refused && std::filesystem::exists(r.Local("a.dll")));
  }
}

}  // namespace
}  // namespace quo::test
