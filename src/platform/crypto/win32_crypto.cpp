#include "platform/crypto/win32_crypto.h"

#include <windows.h>
// The headers below need the types of <windows.h>.
#include <bcrypt.h>
#include <sodium.h>

#include <mutex>
#include <stdexcept>

#include "platform/crypto/pipelined_sha256.h"

namespace quo {

namespace {

constexpr std::size_t kKeyBytes = 32, kSignatureBytes = 64;

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

// The SHA-256 provider, opened once for the process (CNG providers are costly to open and safe
// to share between threads).
BCRYPT_ALG_HANDLE Sha256Provider() {
  static const BCRYPT_ALG_HANDLE provider = [] {
    BCRYPT_ALG_HANDLE h = nullptr;
    if (BCryptOpenAlgorithmProvider(&h, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) h = nullptr;
    return h;
  }();
  if (provider == nullptr) throw std::runtime_error("SHA-256 unavailable");
  return provider;
}

class CngSha256 : public Sha256 {
 public:
  CngSha256() { Reset(); }
  ~CngSha256() override { BCryptDestroyHash(hash_); }
  CngSha256(const CngSha256&) = delete;
  CngSha256& operator=(const CngSha256&) = delete;

  void Update(const void* data, std::size_t size) override {
    auto* bytes = static_cast<unsigned char*>(const_cast<void*>(data));
    while (size > 0) {  // CNG takes at most 4 GiB per call
      const ULONG n = size > (1u << 30) ? (1u << 30) : static_cast<ULONG>(size);
      BCryptHashData(hash_, bytes, n, 0);
      bytes += n;
      size -= n;
    }
  }
  Sha256Digest Final() override {
    Sha256Digest d{};
    BCryptFinishHash(hash_, d.data(), static_cast<ULONG>(d.size()), 0);
    return d;
  }
  void Reset() override {
    if (hash_ != nullptr) BCryptDestroyHash(hash_);
    hash_ = nullptr;
    if (BCryptCreateHash(Sha256Provider(), &hash_, nullptr, 0, nullptr, 0, 0) != 0)
      throw std::runtime_error("SHA-256 unavailable");
  }

 private:
  BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

Win32Crypto::Win32Crypto() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (sodium_init() < 0) throw std::runtime_error("libsodium unavailable");
  });
}

std::unique_ptr<Sha256> Win32Crypto::NewSha256() {
  return std::make_unique<PipelinedSha256>(std::make_unique<CngSha256>());
}

// Any 32 bytes, as OpenSSL takes them: a key that is no valid point fails every verification.
bool Win32Crypto::IsPublicKey(const std::string& key) { return key.size() == kKeyBytes; }

bool Win32Crypto::Verify(const std::string& publicKey, const std::string& message,
                         const std::string& signature) {
  return publicKey.size() == kKeyBytes && signature.size() == kSignatureBytes &&
         crypto_sign_ed25519_verify_detached(Bytes(signature), Bytes(message), message.size(),
                                             Bytes(publicKey)) == 0;
}

}  // namespace quo
