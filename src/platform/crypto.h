// Crypto service: SHA-256 of byte streams and Ed25519 signature checks, done by the platform's
// field-standard libraries (the program holds no cryptography of its own). Keys and signatures
// are raw bytes here; their text forms (base64) are read by the callers.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

namespace quo {

using Sha256Digest = std::array<unsigned char, 32>;

// A running SHA-256: fed in order, read once at the end.
class Sha256 {
 public:
  virtual ~Sha256() = default;
  virtual void Update(const void* data, std::size_t size) = 0;
  // The digest of every byte given since the start or the last Reset.
  virtual Sha256Digest Final() = 0;
  // Starts over, as new.
  virtual void Reset() = 0;
};

class Crypto {
 public:
  virtual ~Crypto() = default;

  virtual std::unique_ptr<Sha256> NewSha256() = 0;
  // True when key (raw bytes) is usable as an Ed25519 public key: 32 bytes the library accepts.
  virtual bool IsPublicKey(const std::string& key) = 0;
  // True when signature (64 raw bytes) is the Ed25519 signature of message by publicKey.
  virtual bool Verify(const std::string& publicKey, const std::string& message,
                      const std::string& signature) = 0;
};

}  // namespace quo
