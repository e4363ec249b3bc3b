// The crypto service's hash against OpenSSL's one-shot digest whatever the pieces it is fed in,
// and the strict base64 that keys and signatures are read with.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "core/base64.h"
#include "platform/posix/openssl_crypto.h"

namespace quo::test {
namespace {

TEST(Crypto, HashesAnyCutOfTheBytesAndStartsOverOnReset) {
  std::string bytes(5 * (1 << 20) + 3, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7919 % 251);
  OpenSslCrypto crypto;
  for (const std::size_t size : {0ul, 1ul, (1ul << 20) - 1, (1ul << 20) + 1, bytes.size()}) {
    Sha256Digest want{};
    EVP_Digest(bytes.data(), size, want.data(), nullptr, EVP_sha256(), nullptr);
    for (const std::size_t piece : {1ul << 12, 3ul << 20, 1ul + (1ul << 20)}) {
      SCOPED_TRACE(std::to_string(size) + " in pieces of " + std::to_string(piece));
      const auto h = crypto.NewSha256();
      h->Update("junk", 4);
      h->Reset();
      for (std::size_t at = 0; at < size; at += piece)
        h->Update(bytes.data() + at, std::min(piece, size - at));
      EXPECT_EQ(want, h->Final());
    }
  }
}

TEST(Crypto, Base64IsStrict) {
  for (const std::string& s : std::vector<std::string>{"", "f", "fo", "foob", {"\0\xff\x10", 3}})
    EXPECT_EQ(s, Base64Decode(Base64Encode(s)));
  for (const char* bad : {"Zm9", "Zm9v\n", "Zm 9v", "Zm9=", "Zh==", "Zm9v====", "Zm-v", "=Zm9"})
    EXPECT_FALSE(Base64Decode(bad)) << bad;
}

}  // namespace
}  // namespace quo::test
