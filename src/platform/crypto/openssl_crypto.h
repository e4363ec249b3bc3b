// Crypto service over OpenSSL 3 (libcrypto, which libcurl already brings in): its EVP SHA-256
// uses the processor's SHA instructions, fast enough to hash a download as it arrives.
#pragma once

#include <optional>

#include "platform/crypto.h"

namespace quo {

class OpenSslCrypto : public Crypto {
 public:
  std::unique_ptr<Sha256> NewSha256() override;
  bool IsPublicKey(const std::string& key) override;
  bool Verify(const std::string& publicKey, const std::string& message,
              const std::string& signature) override;

  // For the signing tool, never the program: a new secret key (32 bytes), its public key, and
  // the signature of a message.
  static std::string NewSecretKey();
  static std::optional<std::string> PublicKeyOf(const std::string& secretKey);
  static std::optional<std::string> Sign(const std::string& secretKey, const std::string& message);
};

}  // namespace quo
