// Crypto service on Windows: SHA-256 from the system's CNG (bcrypt, which uses the processor's
// SHA instructions), Ed25519 verification from libsodium (Windows has none of its own).
#pragma once

#include "platform/crypto.h"

namespace quo {

class Win32Crypto : public Crypto {
 public:
  Win32Crypto();
  std::unique_ptr<Sha256> NewSha256() override;
  bool IsPublicKey(const std::string& key) override;
  bool Verify(const std::string& publicKey, const std::string& message,
              const std::string& signature) override;
};

}  // namespace quo
