#include <sodium.h>

#include <stdexcept>

#include "core/base64.h"
#include "support/test_key.h"

namespace quo::test {

TestKey::TestKey()
    : secret(crypto_sign_SECRETKEYBYTES, '\0'), pub(crypto_sign_PUBLICKEYBYTES, '\0') {
  if (sodium_init() < 0) throw std::runtime_error("libsodium did not start");
  crypto_sign_keypair(reinterpret_cast<unsigned char*>(pub.data()),
                      reinterpret_cast<unsigned char*>(secret.data()));
}

std::string TestKey::Sign(const std::string& bytes) const {
  std::string sig(crypto_sign_BYTES, '\0');
  crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr,
                       reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                       reinterpret_cast<const unsigned char*>(secret.data()));
  return Base64Encode(sig) + "\r\n";
}

}  // namespace quo::test
