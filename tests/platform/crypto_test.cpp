// The crypto service's hash against known digests whatever the pieces it is fed in, its Ed25519
// check against a known signature, and the strict base64 that keys and signatures are read with.
#include <gtest/gtest.h>

#include "core/base64.h"
#include "support/native_services.h"

namespace quo::test {
namespace {

std::string Hex(const Sha256Digest& d) { return HexEncode(std::string(d.begin(), d.end())); }

TEST(Crypto, HashesAnyCutOfTheBytesAndStartsOverOnReset) {
  std::string bytes(5 * (1 << 20) + 3, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7919 % 251);
  NativeCrypto crypto;
  const std::vector<std::pair<std::size_t, std::string>> digests = {
      {0, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {1, "6e340b9cffb37a989ca544e6bb780a2c78901d3fb33738768511a30617afa01d"},
      {(1 << 20) - 1, "a86cef5e025626e7e664bcb651d9003e5df27fb4c2d837a748a7eaccfb440b83"},
      {(1 << 20) + 1, "57c847f32d43807521cc5a14c4a18257fbf3b86ceb5dcf4c37ddbb2b80e51e5c"},
      {bytes.size(), "901f486661926047cf9e251d8c6341b309066ccdf07cfb720886399d6bf7adb2"}};
  for (const auto& [size, want] : digests) {
    for (const std::size_t piece :
         {std::size_t{1} << 12, std::size_t{3} << 20, 1 + (std::size_t{1} << 20)}) {
      SCOPED_TRACE(std::to_string(size) + " in pieces of " + std::to_string(piece));
      const auto h = crypto.NewSha256();
      h->Update("junk", 4);
      h->Reset();
      for (std::size_t at = 0; at < size; at += piece)
        h->Update(bytes.data() + at, std::min(piece, size - at));
      EXPECT_EQ(want, Hex(h->Final()));
    }
  }
}

// RFC 8032's second test vector; any change to the key, the message or the signature fails.
TEST(Crypto, VerifiesEd25519Signatures) {
  const std::string key =
      *HexDecode("3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c");
  const std::string sig = *HexDecode(
      "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da"
      "085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302aeeb00d291612bb0c00");
  NativeCrypto crypto;
  EXPECT_TRUE(crypto.IsPublicKey(key));
  EXPECT_TRUE(crypto.Verify(key, "\x72", sig));
  std::string otherSig = sig, otherKey = key;
  otherSig[5] ^= 1;
  otherKey[5] ^= 1;
  for (const auto& [k, m, s] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {key, "\x73", sig}, {key, "\x72", otherSig}, {otherKey, "\x72", sig},
           {key.substr(1), "\x72", sig}, {key, "\x72", sig.substr(1)}})
    EXPECT_FALSE(crypto.Verify(k, m, s));
  EXPECT_FALSE(crypto.IsPublicKey(key.substr(1)));
  EXPECT_FALSE(crypto.IsPublicKey(key + "x"));
}

TEST(Crypto, Base64IsStrict) {
  for (const std::string& s : std::vector<std::string>{"", "f", "fo", "foob", {"\0\xff\x10", 3}})
    EXPECT_EQ(s, Base64Decode(Base64Encode(s)));
  for (const char* bad : {"Zm9", "Zm9v\n", "Zm 9v", "Zm9=", "Zh==", "Zm9v====", "Zm-v", "=Zm9"})
    EXPECT_FALSE(Base64Decode(bad)) << bad;
}

}  // namespace
}  // namespace quo::test
