// A publisher's signing key for tests: a fresh Ed25519 key pair, and the signature file of a text
// (base64 and CR LF, as the signing tool writes it). Linux signs with OpenSSL, Windows with
// libsodium: the same signatures.
#pragma once

#include <string>

namespace quo::test {

struct TestKey {
  TestKey();
  std::string secret, pub;  // raw bytes
  std::string Sign(const std::string& bytes) const;
};

// Hex SHA-256 of bytes, by the crypto service of the system.
std::string Sha256Hex(const std::string& bytes);

}  // namespace quo::test
