#include "core/base64.h"
#include "platform/crypto/openssl_crypto.h"
#include "support/test_key.h"

namespace quo::test {

TestKey::TestKey()
    : secret(OpenSslCrypto::NewSecretKey()), pub(*OpenSslCrypto::PublicKeyOf(secret)) {}

std::string TestKey::Sign(const std::string& bytes) const {
  return Base64Encode(*OpenSslCrypto::Sign(secret, bytes)) + "\r\n";
}

}  // namespace quo::test
