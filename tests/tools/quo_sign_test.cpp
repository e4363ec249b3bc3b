// quo-sign run as a separate process on a temporary update folder and real key files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "core/base64.h"
#include "platform/crypto/openssl_crypto.h"
#include "support/child_processes.h"
#include "support/temp_dir.h"

namespace quo::test {
namespace {

// The exit status of quo-sign run with the arguments (-1 when it did not exit).
int QuoSign(std::vector<std::string> args) {
  args.insert(args.begin(), QUO_SIGN_PROGRAM);
  return RunProgram(args);
}

const std::string kAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string kEmpty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
// Windows-1252 with CR LF, one stale hash under another letter case; plugin.so comes as plugin.rar.
const std::string kActions =
    "[ordre]\r\nversionActuelle=2.1.1\r\nnb=2\r\n1=Quorvanta.exe\r\n2=plugin.so\r\n\r\n"
    "[QUORVANTA.EXE]\r\nSHA256=0123\r\ndestination=R\xe9pertoire\r\n\r\n"
    "[plugin.so]\r\ncompresse=1\r\n\r\n[notes]\r\nx=1\r\n";
const std::string kStamped =
    "[ordre]\r\nversionActuelle=2.1.1\r\nnb=2\r\n1=Quorvanta.exe\r\n2=plugin.so\r\n\r\n"
    "[QUORVANTA.EXE]\r\nsha256=" + kAbc + "\r\ndestination=R\xe9pertoire\r\ntaille=3\r\n\r\n"
    "[plugin.so]\r\ncompresse=1\r\nsha256=" + kEmpty + "\r\ntaille=0\r\n\r\n[notes]\r\nx=1\r\n";

struct QuoSignTest : ::testing::Test {
  void SetUp() override {
    Reset();
    ASSERT_EQ(QuoSign({"keygen", secret, pub}), 0);
  }
  void Reset() {
    MakeDirs(folder);
    std::filesystem::remove(actions + ".sig");
    WriteFile(actions, kActions);
    WriteFile(folder + "Quorvanta.exe", "abc");
    WriteFile(folder + "plugin.rar", "");
  }
  static std::string Bytes(const std::string& f) {  // a key's or signature's line, decoded
    return Base64Decode(ReadFile(f).substr(0, ReadFile(f).find('\n'))).value_or("");
  }
  TempDir dir;
  const std::string folder = dir / "maj-2.1.1/", actions = folder + "Actions.ini";
  const std::string secret = dir / "secret.key", pub = dir / "public.key";
};

TEST_F(QuoSignTest, FillsTheActionFileInPlaceAndSignsIt) {
  EXPECT_EQ(std::filesystem::status(secret).permissions(), std::filesystem::perms(0600));
  const std::string key = ReadFile(secret);
  EXPECT_EQ(QuoSign({"keygen", secret, dir / "other.key"}), 1);  // never over a secret key
  EXPECT_EQ(ReadFile(secret), key);

  std::filesystem::remove(folder + "plugin.rar");  // a missing package: nothing written
  EXPECT_EQ(QuoSign({"sign", folder, secret}), 1);
  EXPECT_EQ(ReadFile(actions), kActions);
  EXPECT_FALSE(Exists(actions + ".sig"));
  WriteFile(folder + "plugin.rar", "");
  for (int round = 0; round < 2; ++round) {  // signing again replaces, never duplicates
    ASSERT_EQ(QuoSign({"sign", folder, secret}), 0);
    EXPECT_EQ(ReadFile(actions), kStamped);
  }
  WriteFile(dir / "ListMaj.ini", "[versions]\r\n2.1.0=maj-2.1.1\r\n");
  ASSERT_EQ(QuoSign({"sign-list", dir / "ListMaj.ini", secret}), 0);
  for (const std::string& file : {actions, dir / "ListMaj.ini"})
    EXPECT_TRUE(OpenSslCrypto().Verify(Bytes(pub), ReadFile(file), Bytes(file + ".sig"))) << file;
  EXPECT_EQ(QuoSign({"verify", folder, pub}), 0);
  EXPECT_EQ(QuoSign({"verify", folder}), 2);
}

TEST_F(QuoSignTest, VerifyFailsOnEveryChangeAfterSigning) {
  const std::string other = dir / "other.pub";
  ASSERT_EQ(QuoSign({"keygen", dir / "other.key", other}), 0);
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { WriteFile(folder + "Quorvanta.exe", "abd"); }, pub},
      {[&] { std::filesystem::remove(folder + "plugin.rar"); }, pub},
      {[&] { WriteFile(actions, kStamped.substr(0, kStamped.size() - 3) + "2\r\n"); }, pub},
      {[&] { std::filesystem::remove(actions + ".sig"); }, pub},
      {[] {}, other},  // signed by another key
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    Reset();
    ASSERT_EQ(QuoSign({"sign", folder, secret}), 0);
    cases[i].first();
    EXPECT_EQ(QuoSign({"verify", folder, cases[i].second}), 1) << "case " << i;
  }
}

}  // namespace
}  // namespace quo::test
